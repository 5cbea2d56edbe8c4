#include "storage/date_text.h"

#include "storage/text_utils.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace korvane {
namespace {

std::string LocaleName(const char* format, int dayOfWeek, int month) {
    std::tm parts{};
    parts.tm_wday = dayOfWeek;
    parts.tm_mon = month - 1;
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, length);
}

std::string TwoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

} // namespace

std::string ShortDayName(int dayOfWeek) {
    return LocaleName("%a", dayOfWeek % 7, 1);
}
std::string LongDayName(int dayOfWeek) {
    return LocaleName("%A", dayOfWeek % 7, 1);
}
std::string ShortMonthName(int month) {
    return LocaleName("%b", 0, month);
}
std::string LongMonthName(int month) {
    return LocaleName("%B", 0, month);
}

std::string FormatDateTime(std::string_view pattern, TDateTime date) {
    const DateTimeParts parts = DecodeDateTime(date);
    const auto isAmPm = [&](size_t at) { return LowerText(pattern.substr(at, 5)) == "am/pm"; };
    bool twelveHour = false;
    for (size_t at = 0; at < pattern.size() && !twelveHour; ++at)
        twelveHour = isAmPm(at);
    const int hour = twelveHour ? (parts.Hour % 12 == 0 ? 12 : parts.Hour % 12) : parts.Hour;
    std::string result;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (isAmPm(i)) {
            // Written in the letter case of the pattern's "a".
            const bool upper = c == 'A';
            result += parts.Hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (c == '"' || c == '\'') {
            const size_t close = pattern.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? pattern.size() : close;
            result.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        const char letter = LowerAscii(c);
        size_t run = 1;
        while (i + run < pattern.size() && LowerAscii(pattern[i + run]) == letter)
            ++run;
        switch (letter) {
        case 'd':
            result += run == 1   ? std::to_string(parts.Day)
                      : run == 2 ? TwoDigits(parts.Day)
                      : run == 3 ? ShortDayName(parts.DayOfWeek)
                                 : LongDayName(parts.DayOfWeek);
            break;
        case 'm':
            result += run == 1   ? std::to_string(parts.Month)
                      : run == 2 ? TwoDigits(parts.Month)
                      : run == 3 ? ShortMonthName(parts.Month)
                                 : LongMonthName(parts.Month);
            break;
        case 'y':
            result += run <= 2 ? TwoDigits(parts.Year % 100) : std::to_string(parts.Year);
            break;
        case 'h':
            result += run == 1 ? std::to_string(hour) : TwoDigits(hour);
            break;
        case 'n':
            result += run == 1 ? std::to_string(parts.Minute) : TwoDigits(parts.Minute);
            break;
        case 's':
            result += run == 1 ? std::to_string(parts.Second) : TwoDigits(parts.Second);
            break;
        default:
            result.append(pattern.substr(i, run));
        }
        i += run;
    }
    return result;
}

std::string LogTime(bool useLocal, TDateTime time) {
    if (useLocal) return FormatDateTime("ddd, dd mmm yyyy hh:nn:ss", time);
    return FormatDateTime("ddd, dd mmm yyyy hh:nn:ss \"GMT\"", NowUtc());
}

std::string DurationText(TDateTime t1, TDateTime t2) {
    // Rounding the whole to seconds first keeps "59.6s" from turning into "1m60s".
    long long seconds = std::llround(std::fabs(t2 - t1) * SecondsPerDay);
    const long long days = seconds / 86400;
    seconds %= 86400;
    const long long hours = seconds / 3600;
    seconds %= 3600;
    const long long minutes = seconds / 60;
    seconds %= 60;
    std::string result;
    if (days) result += std::to_string(days) + "d";
    if (hours) result += std::to_string(hours) + "h";
    if (minutes) result += std::to_string(minutes) + "m";
    if (seconds) result += std::to_string(seconds) + "s";
    return result.empty() ? "<1s" : result;
}

std::string SizeText(std::int64_t bytes) {
    double amount;
    const char* unit;
    if (bytes <= 1048575) {
        amount = static_cast<double>(bytes) / 1024.0;
        unit = "k";
    } else if (bytes > 1073741823) {
        amount = static_cast<double>(bytes) / 1073741824.0;
        unit = "G";
    } else {
        amount = static_cast<double>(bytes) / 1048576.0;
        unit = "M";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%5.1f%s", amount + 0.04999999, unit);
    std::string text = buffer;
    const size_t zero = text.find(".0");
    if (zero != std::string::npos) text.erase(zero, 2);
    return text;
}

} // namespace korvane
