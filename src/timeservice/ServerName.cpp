#include "timeservice/ServerName.h"

#include "framework/IpAddress.h"

namespace hv {
namespace {

constexpr std::size_t kMaxLabelBytes = 63;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsNameCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }

} // namespace

std::optional<std::string> NormaliseServerName(std::string_view text) {
    // An IPv6 address has many spellings of the very same bits; its one text form stands
    // for all of them. No host name holds a colon.
    if (text.find(':') != std::string_view::npos) {
        const std::optional<IpAddress> literal = ParseIpLiteral(text);
        if (!literal || !literal->IsIpv6()) return std::nullopt;
        return FormatIpAddress(*literal);
    }
    if (!text.empty() && text.back() == '.') text.remove_suffix(1);
    if (text.empty() || text.size() > kMaxServerNameBytes) return std::nullopt;
    std::string name;
    name.reserve(text.size());
    std::size_t labelBytes = 0;
    for (const char raw : text) {
        const char c = LowerAscii(raw);
        if (c == '.') {
            if (labelBytes == 0) return std::nullopt;
            labelBytes = 0;
        } else if (!IsNameCharacter(c) || ++labelBytes > kMaxLabelBytes) {
            return std::nullopt;
        }
        name += c;
    }
    if (labelBytes == 0) return std::nullopt;
    return name;
}

bool IsSingleLabel(std::string_view name) {
    // An IPv6 literal has no dots, yet nothing resolves it.
    if (ParseIpLiteral(name)) return false;
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    return name.find('.') == std::string_view::npos;
}

} // namespace hv
