#include "settings/ServerList.h"

#include <algorithm>

namespace hv {

const char* const DEFAULT_SERVER_LIST =
    "National Institute of Standards and Technology, Gaithersburg, USA(time-a-g.nist.gov)?"
    "Physikalisch-Technische Bundesanstalt, Braunschweig, Germany(ptbtime1.ptb.de)?"
    "National Physical Laboratory, Teddington, United Kingdom(ntp1.npl.co.uk)?"
    "National Research Council, Ottawa, Canada(time.nrc.ca)?"
    "National Institute of Standards and Technology, Boulder, USA(132.163.96.1)?"
    "National Institute of Standards and Technology, Fort Collins, USA(132.163.97.1)?"
    "Google Public NTP, Mountain View, USA(216.239.35.0)?"
    "0";

std::size_t CountChar(std::string_view text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

bool HasValidServerCounts(std::string_view list) {
    const std::size_t n = CountChar(list, kAddressOpen);
    return !list.empty() && n >= 1 && n <= kMaxServers && CountChar(list, kAddressClose) == n &&
           CountChar(list, kEntryEnd) == n;
}

std::vector<std::optional<TimeServer>> ParseServerEntries(std::string_view list) {
    std::vector<std::optional<TimeServer>> entries;
    for (std::size_t end = list.find(kEntryEnd); end != std::string_view::npos; end = list.find(kEntryEnd)) {
        const std::string_view entry = list.substr(0, end);
        list.remove_prefix(end + 1);
        const std::size_t open = entry.find(kAddressOpen);
        if (open == std::string_view::npos) {
            entries.emplace_back(std::nullopt);
            continue;
        }
        // The address runs to the entry's last character, which closes it.
        std::string_view address = entry.substr(open + 1);
        if (!address.empty()) address.remove_suffix(1);
        entries.emplace_back(TimeServer{std::string(entry.substr(0, open)), std::string(address)});
    }
    return entries;
}

int DefaultServerIndex(std::string_view list) {
    if (list.empty()) return 0;
    const char last = list.back();
    return last >= '0' && last <= '9' ? last - '0' : 0;
}

bool EndsWithDefaultIndex(std::string_view list) {
    const std::string_view tail = list.size() >= 2 ? list.substr(list.size() - 2) : list;
    return !tail.empty() && tail.front() == kEntryEnd;
}

std::string EncodeServerList(const std::vector<TimeServer>& servers, int defaultIndex) {
    std::string list;
    for (const TimeServer& server : servers) {
        list += server.title;
        list += kAddressOpen;
        list += server.address;
        list += kAddressClose;
        list += kEntryEnd;
    }
    list += static_cast<char>('0' + defaultIndex % 10);
    return list;
}

} // namespace hv
