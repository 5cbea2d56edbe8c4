#pragma once
// Dates, durations and sizes as text.
#include "storage/clock.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Day and month names of the system's locale (English in the "C" locale); day 0 = Sunday,
// month 1 = January.
std::string ShortDayName(int dayOfWeek);
std::string LongDayName(int dayOfWeek);
std::string ShortMonthName(int month);
std::string LongMonthName(int month);

// Formats date with the pattern letters d dd ddd dddd, m mm mmm mmmm, yy yyyy, h hh, n nn,
// s ss, and am/pm (12-hour hours followed by "am" or "pm", in the case of its "a"); text in
// double or single quotes is copied, as is every other character.
std::string FormatDateTime(std::string_view pattern, TDateTime date);

// The time stamp of a log line: time as "ddd, dd mmm yyyy hh:nn:ss", or, without useLocal,
// the current time in UTC with " GMT" appended.
std::string LogTime(bool useLocal, TDateTime time);

// The distance between two times as "1h2m3s" ("<1s" when under half a second).
std::string DurationText(TDateTime t1, TDateTime t2);

// A file size as "  2k", "  1.3M", "  4.7G".
std::string SizeText(std::int64_t bytes);

} // namespace korvane
