#include "storage/date_text.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace korvane;

TEST(DateText, FormatPatterns) {
    const TDateTime date = EncodeDateTime(2026, 12, 8, 11, 25, 15);
    EXPECT_EQ(FormatDateTime("d-mmm-yyyy \"at\" hh:nn:ss", date), "8-Dec-2026 at 11:25:15");
    EXPECT_EQ(FormatDateTime("ddd, dd mmm yyyy hh:nn:ss", date), "Tue, 08 Dec 2026 11:25:15");
    // 12-hour clock: 21:07 is 09:07pm, midnight is 12 am, noon 12 pm.
    constexpr const char* upload = "ddd d mmm yyyy \"at\" hh:nnam/pm";
    EXPECT_EQ(FormatDateTime(upload, EncodeDateTime(2004, 1, 5, 21, 7, 0)),
              "Mon 5 Jan 2004 at 09:07pm");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", EncodeDateTime(2004, 1, 5, 0, 5, 0)), "12:05 AM");
    EXPECT_EQ(FormatDateTime("h:nnam/pm", EncodeDateTime(2004, 1, 5, 12, 0, 0)), "12:00pm");
    EXPECT_EQ(FormatDateTime("dddd d/m/yy h:n:s 'x'", EncodeDateTime(2005, 3, 6, 7, 8, 9)),
              "Sunday 6/3/05 7:8:9 x");
}

TEST(DateText, LogTimeLocalOrCurrentUtc) {
    EXPECT_EQ(LogTime(true, EncodeDateTime(2026, 12, 8, 11, 25, 15)), "Tue, 08 Dec 2026 11:25:15");
    std::string utc;
    {
        test::ScopedEnv zone("TZ", "EST5"); // five hours behind UTC, no summer time
        tzset();
        SetClockForTesting([] { return EncodeDateTime(2026, 12, 8, 21, 25, 15); });
        utc = LogTime(false, 0); // the given time is not used for UTC stamps
        SetClockForTesting({});
    }
    tzset();
    EXPECT_EQ(utc, "Wed, 09 Dec 2026 02:25:15 GMT");
}

TEST(DateText, DurationParts) {
    const TDateTime start = EncodeDateTime(2026, 1, 1, 12, 0, 0);
    const auto after = [start](double seconds) { return start + seconds / SecondsPerDay; };
    EXPECT_EQ(DurationText(start, start), "<1s");
    EXPECT_EQ(DurationText(start, after(0.4)), "<1s");
    EXPECT_EQ(DurationText(start, after(3723.4)), "1h2m3s");
    EXPECT_EQ(DurationText(after(3723.4), start), "1h2m3s");
    EXPECT_EQ(DurationText(start, after(2 * 86400 + 5)), "2d5s");
    EXPECT_EQ(DurationText(start, after(7200)), "2h");
    EXPECT_EQ(DurationText(start, after(119.6)), "2m"); // never "1m60s"
}

TEST(DateText, SizesArePaddedAndLoseTheirZeroDecimal) {
    EXPECT_EQ(SizeText(2048), "  2k");
    EXPECT_EQ(SizeText(1300), "  1.3k");
    EXPECT_EQ(SizeText(0), "  0k");
    EXPECT_EQ(SizeText(10 * 1024), " 10k");
    EXPECT_EQ(SizeText(1048575), "1024k");
    EXPECT_EQ(SizeText(1048576), "  1M");
    EXPECT_EQ(SizeText(1572864), "  1.5M");
    EXPECT_EQ(SizeText(1073741823), "1024M");
    EXPECT_EQ(SizeText(1073741824LL * 5), "  5G");
    EXPECT_EQ(SizeText(1073741824LL * 1000), "1000G");
}
