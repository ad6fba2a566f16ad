#pragma once
#include "framework/CivilTime.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hv {

// The in-memory record of what synchronisation did: entries of a kind letter, a local
// time stamp, "):", a message and "\r\n", oldest first. Never written to disk.
class ActivityLog {
public:
    // A log longer than this is emptied whole before the next entry goes in.
    static constexpr std::size_t kLimit = 4000;

    enum class Kind : char { Ordinary = 'C', Error = 'E' };

    const std::string& Text() const { return m_text; }
    bool Empty() const { return m_text.empty(); }
    void Clear() { m_text.clear(); }

    // Empties the log when it has grown past the limit; every entry is written after it.
    void Trim();
    // One entry: the kind letter, "%H:%M:%S %m-%d-%Y" of the given local time, "):" and the
    // message, which brings its own "\r\n".
    void Write(Kind kind, const CivilTime& localTime, std::string_view message);

private:
    std::string m_text;
};

// One entry as the log view shows it.
struct LogEntry {
    bool isError = false;
    std::string stamp;   // the time stamp, kind letter removed
    std::string message; // up to the line end
    bool operator==(const LogEntry&) const = default;
};

// Splits a log text the way the log view reads it: the head runs to the first ")", the
// message to the first "\r\n" after it. A ")" inside the message is kept.
std::vector<LogEntry> ParseLogEntries(std::string_view text);

} // namespace hv
