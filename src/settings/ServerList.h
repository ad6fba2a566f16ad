#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// One time server of the list: a free-text title and a host name or dotted IPv4 address.
struct TimeServer {
    std::string title;
    std::string address;
    bool operator==(const TimeServer&) const = default;
};

// The built-in list: public servers of national time institutes and one public pool,
// the first as default.
extern const char* const DEFAULT_SERVER_LIST;

constexpr std::size_t kMaxServers = 10;
constexpr char kEntryEnd = '?';
constexpr char kAddressOpen = '(';
constexpr char kAddressClose = ')';

std::size_t CountChar(std::string_view text, char c);

// The stored form's counts are sound: 1 to 10 entries, each opened, closed and ended once.
bool HasValidServerCounts(std::string_view list);

// The entries in stored order. An entry without "(" has no address and is nothing here,
// but it still takes its position.
std::vector<std::optional<TimeServer>> ParseServerEntries(std::string_view list);

// The default position: the last character read as a decimal digit (anything else is 0).
int DefaultServerIndex(std::string_view list);

// Whether the text has the shape of a list at all: its next-to-last character ends an entry.
bool EndsWithDefaultIndex(std::string_view list);

std::string EncodeServerList(const std::vector<TimeServer>& servers, int defaultIndex);

} // namespace hv
