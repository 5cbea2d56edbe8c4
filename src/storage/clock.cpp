#include "storage/clock.h"

#include <chrono>
#include <cmath>

namespace korvane {
namespace {

std::function<TDateTime()>& TestClock() {
    static std::function<TDateTime()> clock;
    return clock;
}

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

long UtcOffsetSeconds(std::time_t at) {
    std::tm local{};
    localtime_r(&at, &local);
    return local.tm_gmtoff;
}

} // namespace

TDateTime LocalDateTimeFromUnix(double unixSeconds) {
    const auto whole = static_cast<std::time_t>(std::floor(unixSeconds));
    return (unixSeconds + static_cast<double>(UtcOffsetSeconds(whole))) / SecondsPerDay +
           UnixEpochAsDateTime;
}

double UnixFromLocalDateTime(TDateTime localDate) {
    const double asIfUtc = (localDate - UnixEpochAsDateTime) * SecondsPerDay;
    const auto guess = static_cast<std::time_t>(std::floor(asIfUtc));
    // The offset at the guessed instant; good except inside the hour a clock change repeats.
    return asIfUtc - static_cast<double>(UtcOffsetSeconds(guess - UtcOffsetSeconds(guess)));
}

TDateTime Now() {
    if (TestClock()) return TestClock()();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return LocalDateTimeFromUnix(std::chrono::duration<double>(now).count());
}

TDateTime NowUtc() {
    const TDateTime local = Now();
    return (UnixFromLocalDateTime(local)) / SecondsPerDay + UnixEpochAsDateTime;
}

void SetClockForTesting(std::function<TDateTime()> clock) {
    TestClock() = std::move(clock);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    const double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month),
                                                          static_cast<unsigned>(day))) +
                        UnixEpochAsDateTime;
    const double fraction =
        (hour * 3600.0 + minute * 60.0 + second + millisecond / 1000.0) / SecondsPerDay;
    return days + fraction;
}

DateTimeParts DecodeDateTime(TDateTime date) {
    DateTimeParts parts;
    // Round to the millisecond first so 0.99999 of a second does not show as the one before.
    const long long totalMs = std::llround(date * SecondsPerDay * 1000.0);
    long long days = totalMs / 86400000LL;
    long long msOfDay = totalMs % 86400000LL;
    if (msOfDay < 0) {
        msOfDay += 86400000LL;
        --days;
    }
    CivilFromDays(days - static_cast<long long>(UnixEpochAsDateTime), parts.Year, parts.Month,
                  parts.Day);
    parts.Hour = static_cast<int>(msOfDay / 3600000);
    parts.Minute = static_cast<int>(msOfDay / 60000 % 60);
    parts.Second = static_cast<int>(msOfDay / 1000 % 60);
    parts.Millisecond = static_cast<int>(msOfDay % 1000);
    const long long unixDays = days - static_cast<long long>(UnixEpochAsDateTime);
    parts.DayOfWeek = static_cast<int>(((unixDays % 7) + 11) % 7); // 1970-01-01 was a Thursday
    return parts;
}

} // namespace korvane
