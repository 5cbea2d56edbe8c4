#pragma once
// "Now" for the whole program, as an OLE Automation date: days since 30 December 1899 in
// local time, the fraction being the time of day. Tests point the clock elsewhere.
#include <ctime>
#include <functional>

namespace korvane {

using TDateTime = double;

// Days between 30 December 1899 and 1 January 1970.
inline constexpr double UnixEpochAsDateTime = 25569.0;
inline constexpr double SecondsPerDay = 86400.0;

TDateTime Now();    // local time
TDateTime NowUtc(); // the same instant in UTC

// Replaces the clock until reset with an empty function. The function returns local time;
// UTC is derived from it with the machine's current offset.
void SetClockForTesting(std::function<TDateTime()> clock);

// Conversions between local OLE dates and POSIX time (seconds since the epoch, UTC).
TDateTime LocalDateTimeFromUnix(double unixSeconds);
double UnixFromLocalDateTime(TDateTime localDate);

// Builds a local OLE date from its parts (month 1-12).
TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);

struct DateTimeParts {
    int Year = 1899, Month = 12, Day = 30, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
    int DayOfWeek = 6; // 0 = Sunday
};
DateTimeParts DecodeDateTime(TDateTime date);

} // namespace korvane
