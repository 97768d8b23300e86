#include "util/date_codings.h"

#include <cmath>
#include <cstdio>

namespace tidewell {

namespace {

using namespace std::chrono;

// 2001-01-01T00:00:00Z in seconds since 1970-01-01T00:00:00Z.
constexpr double referenceDateUnixSeconds = 978'307'200.0;

// Reads exactly `count` decimal digits at `position`, or none.
std::optional<int> digitsAt(std::string_view text, std::size_t position, std::size_t count) {
    if (position + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t index = position; index < position + count; ++index) {
        if (text[index] < '0' || text[index] > '9') return std::nullopt;
        value = value * 10 + (text[index] - '0');
    }
    return value;
}

bool hasCharacterAt(std::string_view text, std::size_t position, char character) {
    return position < text.size() && text[position] == character;
}

// Nanoseconds of a ".ddd..." fraction ending right before the final "Z"; none when malformed.
std::optional<nanoseconds> fractionBeforeZone(std::string_view fraction) {
    if (fraction.empty()) return nanoseconds(0);
    if (fraction.size() < 2 || fraction[0] != '.') return std::nullopt;
    std::int64_t nanos = 0;
    std::int64_t scale = 100'000'000;
    for (char digit : fraction.substr(1)) {
        if (digit < '0' || digit > '9') return std::nullopt;
        nanos += (digit - '0') * scale;
        scale /= 10;
    }
    return nanoseconds(nanos);
}

}  // namespace

std::string iso8601String(Clock::time_point date) {
    const auto seconds = floor<std::chrono::seconds>(date);
    const auto day = floor<days>(seconds);
    const year_month_day calendarDate{day};
    const hh_mm_ss timeOfDay{seconds - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(calendarDate.year()),
                  static_cast<unsigned>(calendarDate.month()), static_cast<unsigned>(calendarDate.day()),
                  static_cast<int>(timeOfDay.hours().count()), static_cast<int>(timeOfDay.minutes().count()),
                  static_cast<int>(timeOfDay.seconds().count()));
    return text;
}

std::optional<Clock::time_point> parseIso8601(std::string_view text) {
    const auto yearValue = digitsAt(text, 0, 4), monthValue = digitsAt(text, 5, 2), dayValue = digitsAt(text, 8, 2);
    const auto hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    if (!yearValue || !monthValue || !dayValue || !hour || !minute || !second) return std::nullopt;
    if (!hasCharacterAt(text, 4, '-') || !hasCharacterAt(text, 7, '-') || !hasCharacterAt(text, 10, 'T') ||
        !hasCharacterAt(text, 13, ':') || !hasCharacterAt(text, 16, ':') || text.back() != 'Z') {
        return std::nullopt;
    }
    const auto fraction = fractionBeforeZone(text.substr(19, text.size() - 20));
    const year_month_day calendarDate{year(*yearValue), month(static_cast<unsigned>(*monthValue)),
                                      day(static_cast<unsigned>(*dayValue))};
    if (!fraction || !calendarDate.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
    const auto timeOfDay = hours(*hour) + minutes(*minute) + seconds(*second) + *fraction;
    return Clock::time_point(duration_cast<Clock::duration>(sys_days(calendarDate).time_since_epoch() + timeOfDay));
}

double secondsSinceReferenceDate(Clock::time_point date) {
    return duration<double>(date.time_since_epoch()).count() - referenceDateUnixSeconds;
}

Clock::time_point dateFromSecondsSinceReferenceDate(double seconds) {
    // Values from files may be anything: a date the clock cannot hold is
    // clamped to its range, and a value that is not a number means the reference date.
    if (std::isnan(seconds)) seconds = 0;
    const double unixSeconds = seconds + referenceDateUnixSeconds;
    const double limit = duration<double>(Clock::duration::max()).count();
    if (unixSeconds >= limit) return Clock::time_point::max();
    if (unixSeconds <= -limit) return Clock::time_point::min();
    return Clock::time_point(duration_cast<Clock::duration>(duration<double>(unixSeconds)));
}

}  // namespace tidewell
