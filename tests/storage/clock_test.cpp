#include "storage/clock.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(Clock, EncodeAndDecodeAgreeWithKnownDates) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1970, 1, 1), 25569.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(2026, 12, 8, 12), 46364.5);
    const DateTimeParts parts = DecodeDateTime(EncodeDateTime(2026, 12, 8, 11, 25, 15));
    EXPECT_EQ(parts.Year, 2026);
    EXPECT_EQ(parts.Month, 12);
    EXPECT_EQ(parts.Day, 8);
    EXPECT_EQ(parts.Hour, 11);
    EXPECT_EQ(parts.Minute, 25);
    EXPECT_EQ(parts.Second, 15);
    EXPECT_EQ(parts.DayOfWeek, 2); // a Tuesday
    // Just under a second must not round down to the previous second's text.
    EXPECT_EQ(DecodeDateTime(EncodeDateTime(2026, 1, 1, 0, 0, 5) - 1e-10).Second, 5);
}

TEST(Clock, TestClockReplacesNowAndUnixRoundTrips) {
    SetClockForTesting([] { return 46364.25; });
    EXPECT_DOUBLE_EQ(Now(), 46364.25);
    SetClockForTesting({});
    EXPECT_GT(Now(), 46000.0);
    const double unix = 1'800'000'000.0;
    EXPECT_NEAR(UnixFromLocalDateTime(LocalDateTimeFromUnix(unix)), unix, 1e-3);
}
