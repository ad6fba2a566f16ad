#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace hv {

// An approved name that resolves to a loopback address would let any local program answer
// on port 123 in the server's place. The service queries a loopback address only when
// the administrator approved that very address, written out.
bool MayQuery(std::string_view approvedName, std::uint32_t address);

// Whether the text is a dotted IPv4 address ("a.b.c.d", each part 0 to 255).
bool IsDottedIpv4(std::string_view text);
std::string DottedIpv4(std::uint32_t address);

} // namespace hv
