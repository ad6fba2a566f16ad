#include "log/ActivityLog.h"

#include <algorithm>

namespace hv {

namespace {
constexpr const char* kStampFormat = "%H:%M:%S %m-%d-%Y";
constexpr std::string_view kStampEnd = "):";
constexpr std::string_view kLineEnd = "\r\n";
} // namespace

void ActivityLog::Trim() {
    if (m_text.size() > kLimit) m_text.clear();
}

void ActivityLog::Write(Kind kind, const CivilTime& localTime, std::string_view message) {
    Trim();
    m_text += static_cast<char>(kind);
    m_text += FormatCivilTime(kStampFormat, localTime);
    m_text += kStampEnd;
    m_text += message;
}

std::vector<LogEntry> ParseLogEntries(std::string_view pending) {
    std::vector<LogEntry> entries;
    while (!pending.empty()) {
        const std::size_t close = pending.find(')');
        std::string_view head = pending.substr(0, close);
        // The head ends with ")" and ":"; a text cut short loses only what is missing.
        pending.remove_prefix(close == std::string_view::npos ? pending.size()
                                                              : std::min(pending.size(), close + kStampEnd.size()));
        LogEntry entry;
        entry.isError = !head.empty() && head.front() == static_cast<char>(ActivityLog::Kind::Error);
        if (!head.empty()) head.remove_prefix(1);
        entry.stamp = std::string(head);
        const std::size_t end = pending.find(kLineEnd);
        entry.message = std::string(pending.substr(0, end));
        pending.remove_prefix(end == std::string_view::npos ? pending.size() : end + kLineEnd.size());
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace hv
