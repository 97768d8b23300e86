#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_kind.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_cancellation_token.h"
#include "firstaid/repair_error.h"
#include "firstaid/repair_states.h"

// Writes a repaired copy of a diagnosed file to a new place and validates it
// before reporting success. The source is only ever read.
namespace tidewell::FileFirstAidEngine {

// Stage, fraction of the whole export in 0...1, status line. Called on the
// export's own thread.
using RepairProgress = std::function<void(RepairProgressStage, double, const std::string&)>;

// Throws RepairError, CommandRunner::CommandError (time-out),
// CommandRunner::CancellationError, or std::filesystem::filesystem_error.
FileRepairOutcome repair(const FileRepairDiagnostic& diagnostic, const std::filesystem::path& outputURL,
                         const std::shared_ptr<RepairCancellationToken>& cancellationToken = nullptr,
                         const RepairProgress& progress = {});

// Rebuilds an MP4/MOV/M4V recording whose movie box is missing or unreadable: the samples are
// found in its media data by their codecs' framing and indexed with a healthy clip recorded by
// the same device (reference) as the model. Writes a new file at outputURL; the source is only
// read. Throws as repair() does; a reference that does not fit the recording, or media data
// without recognisable frames, is a RepairError and leaves no output.
FileRepairOutcome repairWithReference(const FileRepairDiagnostic& diagnostic, const std::filesystem::path& reference,
                                      const std::filesystem::path& outputURL,
                                      const std::shared_ptr<RepairCancellationToken>& cancellationToken = nullptr,
                                      const RepairProgress& progress = {});

// "name-repaired.ext"; HEIC and GIF images become "name-repaired.png".
std::string suggestedOutputName(const FileRepairDiagnostic& diagnostic);
// The suggested name in the folder, or "name-repaired (n).ext" for the first free n >= 2.
std::filesystem::path uniqueOutputURL(const FileRepairDiagnostic& diagnostic, const std::filesystem::path& directory);

// Refuses the source's own path (in any spelling) and outputs on volumes
// without room for a safe export. Throws RepairError::writeFailed.
void preflightExport(const std::filesystem::path& source, const std::filesystem::path& outputURL, FileRepairKind kind);

std::string diagnosticReport(const std::filesystem::path& source, const std::optional<std::filesystem::path>& output,
                             RepairOutcomeState state, const std::vector<std::string>& warnings);

}  // namespace tidewell::FileFirstAidEngine
