#include "util/byte_size_text.h"

#include <string>

namespace tidewell {

namespace {

// Digits of a non-negative whole number with "," between thousands.
std::string groupedDigits(std::int64_t value) {
    std::string digits = std::to_string(value);
    for (auto index = static_cast<std::ptrdiff_t>(digits.size()) - 3; index > 0; index -= 3) {
        digits.insert(static_cast<std::size_t>(index), ",");
    }
    return digits;
}

// byteCount / divisor rounded half up, computed without overflow.
std::int64_t roundedQuotient(std::int64_t byteCount, std::int64_t divisor) {
    return byteCount / divisor + (byteCount % divisor >= divisor / 2 ? 1 : 0);
}

// A count of 1/scale units as text: the whole part grouped, the fraction
// digits kept only up to the last non-zero one.
std::string scaledText(std::int64_t scaledValue, std::int64_t scale, int fractionDigits, const char* unit) {
    std::string text = groupedDigits(scaledValue / scale);
    if (fractionDigits == 0) return text + " " + unit;
    std::string fraction = std::to_string(scaledValue % scale);
    fraction.insert(0, static_cast<std::size_t>(fractionDigits) - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text + " " + unit;
}

}  // namespace

std::string tidewellString(std::int64_t byteCount) {
    if (byteCount < 1) return "0 B";
    if (byteCount < 1024) return std::to_string(byteCount) + " B";
    // Each unit is used while its rounded value stays below 1000; a value that
    // rounds up to 1000 moves on to the next unit. GB is the largest unit.
    const std::int64_t kilobytes = roundedQuotient(byteCount, 1000);
    if (kilobytes < 1000) return scaledText(kilobytes, 1, 0, "KB");
    const std::int64_t tenthsOfMegabytes = roundedQuotient(byteCount, 100'000);
    if (tenthsOfMegabytes < 10'000) return scaledText(tenthsOfMegabytes, 10, 1, "MB");
    return scaledText(roundedQuotient(byteCount, 10'000'000), 100, 2, "GB");
}

}  // namespace tidewell
