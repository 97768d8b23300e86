#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_cancellation_token.h"
#include "firstaid/repair_error.h"
#include "firstaid/repair_export.h"

// Pulls every individually readable file out of a ZIP, APK or Office package
// into a new folder, with a plain-text report. The source is never touched.
namespace tidewell::FileFirstAidEngine {

FileRepairOutcome extractReadableContents(const FileRepairDiagnostic& diagnostic,
                                          const std::filesystem::path& outputDirectory,
                                          const std::shared_ptr<RepairCancellationToken>& cancellationToken = nullptr,
                                          const RepairProgress& progress = {});

// Why extractReadableContents refuses this diagnosis before it writes anything (the error it
// throws then), or none when it may try.
std::optional<RepairError> extractionRefusal(const FileRepairDiagnostic& diagnostic);

// "name-recovered-contents", or "name-recovered-contents (n)" for the first free n >= 2.
std::filesystem::path uniqueRecoveredContentsDirectory(const FileRepairDiagnostic& diagnostic,
                                                       const std::filesystem::path& directory);

// Paths relative to root of every regular file below it.
std::set<std::string> extractedRelativeFilePaths(const std::filesystem::path& root);

std::string contentExtractionReport(const std::filesystem::path& source, const std::filesystem::path& output,
                                    const std::set<std::string>& files, const std::vector<std::string>& warnings);

}  // namespace tidewell::FileFirstAidEngine
