#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// A copy-data message the companion sends to the main window some time after it started.
struct ScheduledSend {
    unsigned delayMs;
    std::uint64_t code;
    std::string text;
};

struct CompanionOptions {
    std::string title;
    std::string logPath;
    double seconds;
    std::vector<ScheduledSend> sends;
    bool hung = false; // never reads its messages, like a program that hangs
};

// Parses "TITLE LOGFILE [--seconds N] [--hung] [--send-after MS CODE [TEXT]]...".
std::optional<CompanionOptions> ParseCompanionOptions(const std::vector<std::string>& args);

// Plays a companion window: a hidden top-level window with the given title that logs every
// copy-data message it receives and quits on the quit code or when its time is up. A hung
// companion makes its window and then reads no message until its time is up.
int RunCompanion(const CompanionOptions& options);

} // namespace driver
