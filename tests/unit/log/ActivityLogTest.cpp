#include "log/ActivityLog.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

// Entries as the runs write them, and the trim at the limit, are seen through the log view
// (app/LogViewTest) and the runs' own log texts (app/SyncRunTest). The text the view parses
// may be cut anywhere, and must still parse without reading past its end.
TEST(ActivityLog, TruncatedTextStillParsesSafely) {
    for (std::string_view text : {"C", "C12", "C12)", "C12):", "C12):abc", "no paren\r\n", ")\r\n", "E)):\r\n\r\n"}) {
        const auto entries = ParseLogEntries(text);
        EXPECT_FALSE(entries.empty()) << text;
    }
    EXPECT_EQ(ParseLogEntries("E1):m\r\nC2):n\r\n").size(), 2u);
}

} // namespace
} // namespace hv::testing
