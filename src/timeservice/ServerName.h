#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hv {

// The longest host name DNS can carry.
constexpr std::size_t kMaxServerNameBytes = 253;

// A time server's name as the time service compares it: a host name or dotted IPv4 address
// in ASCII lower case, without a trailing dot, or an IPv6 address in its one text form
// (FormatIpAddress). Nothing when the text is no such name:
// empty, too long, an empty or over-long label, or any character but letters, digits, "-"
// and ".". Names are compared as text only, never resolved first, so a caller cannot
// reach an unapproved server through a name that resolves like an approved one.
std::optional<std::string> NormaliseServerName(std::string_view text);

// A name of one label ("timehost") is looked up, where DNS does not know it, by broadcast
// protocols (LLMNR, NetBIOS) that any machine on the network may answer: no such name is
// approved.
bool IsSingleLabel(std::string_view name);

} // namespace hv
