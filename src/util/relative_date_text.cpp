#include "util/relative_date_text.h"

#include <algorithm>

namespace tidewell {

namespace {

using namespace std::chrono;
using TimePoint = system_clock::time_point;

// The same calendar day (clamped to the month's last day) and time of day,
// `count` months later.
TimePoint addingMonths(TimePoint date, int count) {
    const auto day = floor<days>(date);
    const year_month_day calendarDate{day};
    const year_month shifted = calendarDate.year() / calendarDate.month() + months(count);
    const year_month_day_last lastDay{shifted / last};
    const auto dayOfMonth = std::min(calendarDate.day(), lastDay.day());
    return sys_days(shifted / dayOfMonth) + (date - day);
}

// Whole calendar months (in UTC) from `earlier` to `later`.
int wholeMonthsBetween(TimePoint earlier, TimePoint later) {
    const year_month_day from{floor<days>(earlier)}, to{floor<days>(later)};
    int count =
        (static_cast<int>(to.year()) - static_cast<int>(from.year())) * 12 +
        (static_cast<int>(static_cast<unsigned>(to.month())) - static_cast<int>(static_cast<unsigned>(from.month())));
    while (count > 0 && addingMonths(earlier, count) > later) --count;
    return count;
}

// The amount in the largest unit that is at least one, like "3 days" or "2 hr.".
std::string amountText(TimePoint earlier, TimePoint later) {
    const int monthCount = wholeMonthsBetween(earlier, later);
    if (monthCount >= 12) return std::to_string(monthCount / 12) + " yr.";
    if (monthCount >= 1) return std::to_string(monthCount) + " mo.";
    const auto elapsed = floor<seconds>(later - earlier);
    const auto dayCount = floor<days>(elapsed).count();
    if (dayCount >= 7) return std::to_string(dayCount / 7) + " wk.";
    if (dayCount >= 1) return std::to_string(dayCount) + (dayCount == 1 ? " day" : " days");
    if (elapsed >= hours(1)) return std::to_string(floor<hours>(elapsed).count()) + " hr.";
    if (elapsed >= minutes(1)) return std::to_string(floor<minutes>(elapsed).count()) + " min.";
    return std::to_string(elapsed.count()) + " sec.";
}

}  // namespace

std::string tidewellString(TimePoint date, TimePoint now) {
    // Less than a second either way reads as the present moment.
    if (date >= now || now - date < seconds(1)) return "in " + amountText(now, std::max(date, now));
    return amountText(date, now) + " ago";
}

}  // namespace tidewell
