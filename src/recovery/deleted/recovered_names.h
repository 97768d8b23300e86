#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "recovery/deleted/deleted_candidate.h"

namespace tidewell::FATDeletedRecoveryEngine {

// Path separators ("/", ":", "\") become "-"; an empty result is "Recovered-file".
std::string safeFilename(const std::string& name);

// The safe form of the entry's name, or "Recovered-<cluster>[.<extension>]"
// when nothing usable is left.
std::string safeRecoveredName(const std::string& name, const std::optional<std::string>& signature,
                              std::uint32_t cluster);

// The file name an export writes the candidate under: the safe form of its
// name for `naming`. A long name too long for a file name (over 255 bytes of
// UTF-8) gives way to the entry name.
std::string exportFileName(const Candidate& candidate, ExportNaming naming);

// "Tidewell-Deleted-Recovery-<source>" inside `folder`, or the first of "-2",
// "-3", ... that does not exist yet.
std::filesystem::path uniqueExportDirectory(const std::string& sourceName, const std::filesystem::path& folder);

// The URL itself when free, else "stem 2.ext", "stem 3.ext", ... in the same
// folder: never an existing file, never one this export already wrote. A set, since an
// export asks once per file it writes.
std::filesystem::path uniqueFileURL(const std::filesystem::path& url,
                                    const std::set<std::filesystem::path>& existingOutputs);

}  // namespace tidewell::FATDeletedRecoveryEngine
