#include "timeservice/ExchangeSpacing.h"

#include <gtest/gtest.h>

namespace hv::testing {
namespace {

TEST(ExchangeSpacing, ABurstOfThreeThenOneAMinute) {
    ExchangeSpacing spacing;
    const std::int64_t start = 5'000'000; // any point of a clock that counts from boot
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(spacing.TryStart(start + i)) << i;
    EXPECT_FALSE(spacing.TryStart(start + 3));
    EXPECT_EQ(spacing.SecondsUntilNext(start + 30'001), 30u); // rounded up: 29.999 s
    EXPECT_FALSE(spacing.TryStart(start + 59'999));
    EXPECT_TRUE(spacing.TryStart(start + 60'000));
    EXPECT_FALSE(spacing.TryStart(start + 60'001));
    // A refused request takes no turn; after a quiet spell the burst is there again.
    const std::int64_t later = start + 3'600'000;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(spacing.TryStart(later)) << i;
    EXPECT_FALSE(spacing.TryStart(later));
}

} // namespace
} // namespace hv::testing
