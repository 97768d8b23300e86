#include <algorithm>
#include <sstream>
#include <system_error>

#include "recovery/readable/external_recovery_engine.h"
#include "recovery/readable/readable_file_copy.h"
#include "util/atomic_file.h"
#include "util/date_codings.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

constexpr const char* reportFileName = "Tidewell-Recovery-Report.txt";
constexpr const char* unsafeDestinationMessage =
    "Choose a different drive or folder. Tidewell never exports recovered files back onto the source media.";

bool existsAt(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

// The destination may hold the source but never lie on or under it.
void requireSafeDestination(const ExternalRecoveryVolume& volume, const fs::path& destination) {
    if (destinationIsOnSource(standardizedPath(volume.mountURL), standardizedPath(destination)))
        throw ExternalRecoveryEngine::RecoveryError::unsafeDestination(unsafeDestinationMessage);
}

// "." and ".." pieces are dropped so nothing lands outside the export folder.
std::string safeRelativePath(const RecoveryCandidate& candidate) {
    std::string safe;
    std::stringstream pieces(candidate.relativePath);
    std::string piece;
    while (std::getline(pieces, piece, '/')) {
        if (piece.empty() || piece == "." || piece == "..") continue;
        if (!safe.empty()) safe += '/';
        safe += piece;
    }
    return safe.empty() ? candidate.name() : safe;
}

// Copies one candidate; the failure's description when it could not be written.
std::optional<std::string> exportOne(const RecoveryCandidate& candidate, const fs::path& exportRoot,
                                     std::unordered_set<std::string>& written, std::vector<fs::path>& exported) {
    try {
        fs::path target = exportRoot / safeRelativePath(candidate);
        fs::create_directories(target.parent_path());
        fs::path output = ExternalRecoveryEngine::uniqueFileURL(target, written);
        copyReadableFile(candidate.sourceURL, output);
        written.insert(output.string());
        exported.push_back(output);
        return std::nullopt;
    } catch (const std::system_error& error) {
        return error.code().message();
    }
}

}  // namespace

std::vector<fs::path> ExternalRecoveryEngine::exportCandidates(const std::vector<RecoveryCandidate>& candidates,
                                                               const ExternalRecoveryVolume& volume,
                                                               const fs::path& destination,
                                                               const Token& cancellationToken,
                                                               const ProgressCallback& progress) {
    if (candidates.empty()) throw RecoveryError::noCandidates();
    requireSafeDestination(volume, destination);
    fs::path exportRoot = uniqueExportDirectory(volume, standardizedPath(destination));
    fs::create_directories(exportRoot);

    std::vector<fs::path> exported;
    std::unordered_set<std::string> written;
    std::vector<std::string> warnings;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (cancellationToken && cancellationToken->isCancelled()) throw RecoveryError::cancelled();
        if (auto failure = exportOne(candidates[i], exportRoot, written, exported))
            warnings.push_back("Could not export " + candidates[i].name() + ": " + *failure);
        if (progress)
            progress(
                static_cast<double>(i + 1) / static_cast<double>(candidates.size()),
                "Exported " + std::to_string(exported.size()) + " of " + std::to_string(candidates.size()) + " files");
    }
    try {
        writeFileAtomically(exportRoot / reportFileName,
                            reportText(volume, exported.size(), warnings, std::chrono::system_clock::now()));
    } catch (...) {
        // The copies are the product; a missing report does not undo them.
    }
    return exported;
}

std::string ExternalRecoveryEngine::reportText(const ExternalRecoveryVolume& volume, std::size_t exportedCount,
                                               const std::vector<std::string>& warnings,
                                               std::chrono::system_clock::time_point date) {
    std::string text = "Tidewell External Recovery Report\n";
    text += "Source: " + volume.name + "\n";
    text += "Source path: " + volume.mountURL.string() + "\n";
    text += "Exported: " + std::to_string(exportedCount) + " readable files\n";
    text += "Date: " + iso8601String(date) + "\n\n";
    text +=
        "This export copied files that were readable from the mounted source. It did not scan deleted disk blocks, "
        "alter the source device, or guarantee recovery of deleted files.\n\n";
    if (warnings.empty()) return text + "No export warnings.";
    for (std::size_t i = 0; i < warnings.size(); ++i) text += (i == 0 ? "" : "\n") + warnings[i];
    return text;
}

fs::path ExternalRecoveryEngine::uniqueExportDirectory(const ExternalRecoveryVolume& volume,
                                                       const fs::path& destination) {
    std::string base = "Tidewell-Recovered-" + volume.name;
    std::replace(base.begin(), base.end(), '/', '-');
    fs::path candidate = destination / base;
    for (int counter = 2; existsAt(candidate); ++counter)
        candidate = destination / (base + "-" + std::to_string(counter));
    return candidate;
}

fs::path ExternalRecoveryEngine::uniqueFileURL(const fs::path& url,
                                               const std::unordered_set<std::string>& existingOutputs) {
    fs::path candidate = url;
    std::string stem = url.stem().string();
    std::string extension = url.extension().string();  // with its dot, or empty
    for (int counter = 2; existsAt(candidate) || existingOutputs.contains(candidate.string()); ++counter)
        candidate = url.parent_path() / (stem + " " + std::to_string(counter)).append(extension);
    return candidate;
}

}  // namespace tidewell
