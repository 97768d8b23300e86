#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_kind.h"
#include "firstaid/repair_error.h"
#include "firstaid/repair_limits.h"
#include "util/wholeness_check.h"

// Inspects one damaged file at a time. Stateless; callable from any thread.
namespace tidewell::FileFirstAidEngine {

// The extensions offered to the file chooser, in order (20 entries).
const std::vector<std::string>& supportedExtensions();
// The same list mapped to MIME types; extensions without a known type are dropped.
std::vector<std::string> supportedContentTypes();

// Turns one file into a diagnostic without changing it. Throws RepairError
// (cannotRead) for a folder, an empty file or a file above the input limit.
FileRepairDiagnostic diagnose(const std::filesystem::path& url);

// Whether a file of a supported kind is whole: no problem when its diagnosis found nothing
// failed, else the first failed finding's title. Files of unsupported kinds, and files the
// diagnosis refuses, are not checked.
WholenessCheck checkWholeness(const std::filesystem::path& url);

// By extension first, then by the first 16 bytes.
FileRepairKind detectKind(const std::filesystem::path& url);

// Allocated size on disk (else the logical size, else 0).
std::int64_t fileByteSize(const std::filesystem::path& url);
// Logical size (else 0).
std::int64_t logicalFileByteSize(const std::filesystem::path& url);

// Availability of qpdf, ffmpeg and unzip, three lines.
std::vector<std::string> toolNotes();

// A diagnostic of this file with no findings yet, carrying the tool notes.
FileRepairDiagnostic startDiagnostic(const std::filesystem::path& url, FileRepairKind kind, std::int64_t sizeBytes);

// The diagnostic for a file of no supported kind.
FileRepairDiagnostic diagnoseUnsupported(const std::filesystem::path& url, std::int64_t sizeBytes);
FileRepairDiagnostic diagnosePDF(const std::filesystem::path& url, std::int64_t sizeBytes);
FileRepairDiagnostic diagnoseImage(const std::filesystem::path& url, std::int64_t sizeBytes);
FileRepairDiagnostic diagnoseAudio(const std::filesystem::path& url, std::int64_t sizeBytes);

}  // namespace tidewell::FileFirstAidEngine
