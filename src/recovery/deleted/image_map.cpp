#include "recovery/deleted/image_map.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

namespace tidewell::DeviceImaging {

namespace {

constexpr std::string_view titleLine = "# Tidewell disk image map";
constexpr std::string_view sourcePrefix = "# source: ";
constexpr std::string_view sizePrefix = "# size: ";
constexpr std::string_view sectorPrefix = "# sector: ";

constexpr std::array<std::pair<RangeStatus, std::string_view>, 4> statusNames{{
    {RangeStatus::copied, "copied"},
    {RangeStatus::pending, "pending"},
    {RangeStatus::retry, "retry"},
    {RangeStatus::unreadable, "unreadable"},
}};

// A decimal count as the writer prints it: digits only, no leading zero.
std::optional<std::int64_t> count(std::string_view text) {
    if (text.empty() || (text.size() > 1 && text.front() == '0')) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<std::string_view> after(std::string_view line, std::string_view prefix) {
    if (!line.starts_with(prefix)) return std::nullopt;
    return line.substr(prefix.size());
}

// Splits at "\n"; the text must end with one, so a cut-off last line is refused.
std::optional<std::vector<std::string_view>> lines(std::string_view text) {
    if (text.empty() || text.back() != '\n') return std::nullopt;
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        result.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return result;
}

std::optional<MapRange> rangeLine(std::string_view line) {
    const std::size_t first = line.find(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const std::size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    auto start = count(line.substr(0, first));
    auto length = count(line.substr(first + 1, second - first - 1));
    auto status = rangeStatusFromRawValue(line.substr(second + 1));
    if (!start || !length || !status || *length < 1) return std::nullopt;
    return MapRange{*start, *length, *status};
}

}  // namespace

std::string_view rawValue(RangeStatus status) {
    for (const auto& [value, name] : statusNames)
        if (value == status) return name;
    return "pending";
}

std::optional<RangeStatus> rangeStatusFromRawValue(std::string_view text) {
    for (const auto& [value, name] : statusNames)
        if (name == text) return value;
    return std::nullopt;
}

ImageMap::ImageMap(std::string source, std::int64_t size, std::int64_t sectorSize)
    : source_(std::move(source)), size_(std::max<std::int64_t>(size, 0)), sectorSize_(sectorSize) {
    std::replace(source_.begin(), source_.end(), '\n', ' ');
    if (size_ > 0) ranges_.push_back({0, size_, RangeStatus::pending});
}

void ImageMap::mark(std::int64_t start, std::int64_t length, RangeStatus status) {
    const std::int64_t from = std::max<std::int64_t>(start, 0);
    const std::int64_t to = std::min(size_, start + length);
    if (from >= to) return;
    std::vector<MapRange> result;
    result.reserve(ranges_.size() + 2);
    const auto append = [&result](MapRange range) {
        if (range.length <= 0) return;
        if (!result.empty() && result.back().status == range.status && result.back().end() == range.start)
            result.back().length += range.length;
        else
            result.push_back(range);
    };
    bool placed = false;
    for (const MapRange& range : ranges_) {
        if (range.end() <= from || range.start >= to) {
            if (range.start >= to && !placed) {
                append({from, to - from, status});
                placed = true;
            }
            append(range);
            continue;
        }
        append({range.start, from - range.start, range.status});
        if (!placed) {
            append({from, to - from, status});
            placed = true;
        }
        append({to, range.end() - to, range.status});
    }
    if (!placed) append({from, to - from, status});
    ranges_ = std::move(result);
}

std::vector<MapRange> ImageMap::rangesWith(RangeStatus status) const {
    std::vector<MapRange> result;
    for (const MapRange& range : ranges_)
        if (range.status == status) result.push_back(range);
    return result;
}

std::int64_t ImageMap::bytesWith(RangeStatus status) const {
    std::int64_t total = 0;
    for (const MapRange& range : ranges_)
        if (range.status == status) total += range.length;
    return total;
}

std::string ImageMap::text() const {
    std::string text = std::string(titleLine) + "\n" + std::string(sourcePrefix) + source_ + "\n" +
                       std::string(sizePrefix) + std::to_string(size_) + "\n" + std::string(sectorPrefix) +
                       std::to_string(sectorSize_) + "\n";
    for (const MapRange& range : ranges_)
        text += std::to_string(range.start) + " " + std::to_string(range.length) + " " +
                std::string(rawValue(range.status)) + "\n";
    return text;
}

std::optional<ImageMap> ImageMap::parse(std::string_view text) {
    auto all = lines(text);
    if (!all || all->size() < 4 || all->at(0) != titleLine) return std::nullopt;
    auto source = after(all->at(1), sourcePrefix);
    auto sizeText = after(all->at(2), sizePrefix);
    auto sectorText = after(all->at(3), sectorPrefix);
    if (!source || !sizeText || !sectorText) return std::nullopt;
    auto size = count(*sizeText);
    auto sector = count(*sectorText);
    if (!size || !sector || *sector < 1) return std::nullopt;
    ImageMap map(std::string(*source), *size, *sector);
    map.ranges_.clear();
    std::int64_t next = 0;
    for (std::size_t index = 4; index < all->size(); ++index) {
        auto range = rangeLine(all->at(index));
        if (!range || range->start != next || range->length > *size - next) return std::nullopt;
        if (!map.ranges_.empty() && map.ranges_.back().status == range->status) return std::nullopt;
        map.ranges_.push_back(*range);
        next = range->end();
    }
    if (next != *size) return std::nullopt;
    return map;
}

std::filesystem::path mapPath(const std::filesystem::path& image) {
    std::filesystem::path path = image;
    path += ".map";
    return path;
}

}  // namespace tidewell::DeviceImaging
