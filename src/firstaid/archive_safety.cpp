#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/repair_limits.h"
#include "firstaid/tool_runs.h"
#include "util/byte_size_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

std::optional<std::int64_t> parseDecimal(const std::string& text) {
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// An entry line of "unzip -Z -l": mode, version, system, size, text/binary flag,
// compressed size, method, date, time, name (which may hold spaces).
bool isZipinfoEntryLine(const std::vector<std::string>& fields) {
    return fields.size() >= 10 && parseDecimal(fields[3]).has_value() && parseDecimal(fields[5]).has_value();
}

// zipinfo prints the text/binary flag of an encrypted entry in capitals ("TX", "Bx").
bool isEncryptedListingLine(const std::string& line) {
    const auto fields = text_helpers::splitDroppingEmpty(line, " \t");
    if (!isZipinfoEntryLine(fields) || fields[4].size() != 2) return false;
    return fields[4][0] == 'T' || fields[4][0] == 'B';
}

// The entry size in one listing line: the first field of "unzip -l", the fourth of "unzip -Z -l".
using SizeField = std::optional<std::int64_t> (*)(const std::vector<std::string>& fields);

std::optional<std::int64_t> unzipListSize(const std::vector<std::string>& fields) {
    return fields.size() >= 4 ? parseDecimal(fields[0]) : std::nullopt;
}

std::optional<std::int64_t> zipinfoListSize(const std::vector<std::string>& fields) {
    return isZipinfoEntryLine(fields) ? parseDecimal(fields[3]) : std::nullopt;
}

// The sum of the listed sizes, stopped as soon as it passes the expansion limit.
std::int64_t listedSizeTotal(const std::string& listing, SizeField sizeOf) {
    std::int64_t total = 0;
    for (const auto& line : text_helpers::splitDroppingEmpty(listing, "\n")) {
        auto size = sizeOf(text_helpers::splitDroppingEmpty(line, " \t"));
        if (!size || *size < 0) continue;
        total = *size > std::numeric_limits<std::int64_t>::max() - total ? std::numeric_limits<std::int64_t>::max()
                                                                         : total + *size;
        if (total > RepairLimits::maximumExpandedArchiveBytes) return total;
    }
    return total;
}

// unzip exits 1 for warnings after a complete listing (for example bytes before the archive);
// any other non-zero status means the listing stopped or never started.
bool completedListing(const std::optional<CommandOutput>& output) {
    return output && (output->status == 0 || output->status == 1);
}

bool exceedsDepth(const std::string& entry) {
    return static_cast<std::int64_t>(text_helpers::splitDroppingEmpty(entry, "/").size()) >
           RepairLimits::maximumArchiveDepth;
}

}  // namespace

std::vector<std::string> listedEntries(const std::optional<CommandOutput>& listing) {
    if (!listing || listing->status != 0) return {};
    return text_helpers::splitDroppingEmpty(listing->stdoutText, "\n");
}

std::vector<std::string> readableArchiveEntries(const std::filesystem::path& url) {
    auto unzip = toolPath("unzip");
    if (!unzip) return {};
    return listedEntries(runCheck(*unzip, {"-Z1", url.string()}));
}

bool isUnsafeArchiveEntry(const std::string& name) {
    std::string normalized = name;
    std::replace(normalized.begin(), normalized.end(), '\\', '/');
    if (normalized.starts_with("/") || normalized.starts_with("~")) return true;
    const auto pieces = text_helpers::splitDroppingEmpty(normalized, "/");
    return std::find(pieces.begin(), pieces.end(), "..") != pieces.end();
}

bool archiveHasSymbolicLinkOrEncryption(const std::filesystem::path& url) {
    auto unzip = toolPath("unzip");
    if (!unzip) return false;
    auto output = runCheck(*unzip, {"-Z", "-l", url.string()});
    if (!output || output->status != 0) return false;
    const std::string lower = text_helpers::lowercased(output->stdoutText);
    if (lower.find(" encrypted ") != std::string::npos || lower.find(" encryption") != std::string::npos) return true;
    for (const auto& line : text_helpers::splitDroppingEmpty(output->stdoutText, "\n")) {
        if (line.starts_with("l") || isEncryptedListingLine(line)) return true;
    }
    return false;
}

std::optional<std::int64_t> archiveExpandedBytes(const std::filesystem::path& url) {
    auto unzip = toolPath("unzip");
    if (!unzip) return std::nullopt;
    if (auto listing = runCheck(*unzip, {"-l", url.string()}); completedListing(listing)) {
        return listedSizeTotal(listing->stdoutText, unzipListSize);
    }
    // unzip -l looks for the directory's end only near the end of the file, where zipinfo
    // still finds it behind a long block of appended bytes; its listing carries the sizes too.
    if (auto listing = runCheck(*unzip, {"-Z", "-l", url.string()}); completedListing(listing)) {
        return listedSizeTotal(listing->stdoutText, zipinfoListSize);
    }
    return std::nullopt;
}

ArchiveSafetyAssessment archiveSafetyAssessment(const std::filesystem::path& url, std::int64_t compressedBytes) {
    return archiveSafetyAssessment(url, compressedBytes, readableArchiveEntries(url));
}

ArchiveSafetyAssessment archiveSafetyAssessment(const std::filesystem::path& url, std::int64_t compressedBytes,
                                                std::vector<std::string> listed) {
    ArchiveSafetyAssessment assessment;
    assessment.entries = std::move(listed);
    auto& issues = assessment.issues;
    const auto& entries = assessment.entries;
    if (entries.empty()) {
        issues.push_back("No readable archive entry list is available, so Tidewell will not extract this archive.");
    }
    if (static_cast<std::int64_t>(entries.size()) > RepairLimits::maximumArchiveEntries) {
        issues.push_back("This archive has " + std::to_string(entries.size()) + " entries, above the safe " +
                         std::to_string(RepairLimits::maximumArchiveEntries) + "-entry limit.");
    }
    if (auto unsafe = std::find_if(entries.begin(), entries.end(), isUnsafeArchiveEntry); unsafe != entries.end()) {
        issues.push_back("Archive entry is unsafe and will not be extracted: " + *unsafe);
    }
    if (std::any_of(entries.begin(), entries.end(), exceedsDepth)) {
        issues.push_back("This archive exceeds the safe folder-depth limit.");
    }
    if (archiveHasSymbolicLinkOrEncryption(url)) {
        issues.push_back(
            "This archive contains symbolic links or encrypted entries, which Tidewell does not extract for safety.");
    }
    const auto expanded = archiveExpandedBytes(url);
    assessment.expandedBytes = expanded.value_or(0);
    // Without a size neither limit below can be checked, so the archive counts as a bomb;
    // an archive without entries is refused by the first check already.
    if (!expanded) {
        if (!entries.empty()) {
            issues.push_back(
                "Tidewell could not read how large this archive expands, so it will not be extracted or rebuilt.");
        }
        return assessment;
    }
    if (*expanded > RepairLimits::maximumExpandedArchiveBytes) {
        issues.push_back("This archive expands to " + tidewellString(*expanded) + ", above the safe 8 GB limit.");
    }
    if (compressedBytes > 0 &&
        static_cast<double>(*expanded) / static_cast<double>(compressedBytes) > RepairLimits::maximumExpansionRatio) {
        issues.push_back("This archive exceeds the safe compression-ratio limit and may be a ZIP bomb.");
    }
    return assessment;
}

}  // namespace tidewell::FileFirstAidEngine
