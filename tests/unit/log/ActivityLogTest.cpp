#include "log/ActivityLog.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(ActivityLog, TrimEmptiesOnlyPastTheLimit) {
    ActivityLog log;
    log.Append(std::string(4000, 'x'));
    log.Trim();
    EXPECT_EQ(log.Text().size(), 4000u);
    log.Append("y");
    log.Trim();
    EXPECT_TRUE(log.Empty());
}

TEST(ActivityLog, EntriesSplitAtTheFirstParenthesisAndLineEnd) {
    ActivityLog log;
    CivilTime t{2004, 3, 21, 14, 5, 9, 0, 0};
    log.AppendStamp(ActivityLog::Kind::Ordinary, t);
    log.Append("Succed to Send Request Data to time (lab) server!\r\n");
    log.AppendStamp(ActivityLog::Kind::Error, t);
    log.Append("x.example doesn't send response data back!\r\n");
    EXPECT_EQ(log.Text().substr(0, 22), "C14:05:09 03-21-2004):");
    const auto entries = ParseLogEntries(log.Text());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (LogEntry{false, "14:05:09 03-21-2004", "Succed to Send Request Data to time (lab) server!"}));
    EXPECT_EQ(entries[1], (LogEntry{true, "14:05:09 03-21-2004", "x.example doesn't send response data back!"}));
}

TEST(ActivityLog, TruncatedTextStillParsesSafely) {
    for (std::string_view text : {"C", "C12", "C12)", "C12):", "C12):abc", "no paren\r\n", ")\r\n", "E)):\r\n\r\n"}) {
        const auto entries = ParseLogEntries(text);
        EXPECT_FALSE(entries.empty()) << text;
    }
    EXPECT_EQ(ParseLogEntries("E1):m\r\nC2):n\r\n").size(), 2u);
}

} // namespace
} // namespace hv
