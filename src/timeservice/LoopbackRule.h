#pragma once
#include "framework/IpAddress.h"

#include <string_view>

namespace hv {

// An approved name that resolves to a loopback address would let any local program answer
// on port 123 in the server's place. The service queries a loopback address only when
// the administrator approved that very address, written out.
bool MayQuery(std::string_view approvedName, const IpAddress& address);

} // namespace hv
