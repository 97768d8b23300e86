#include "firstaid/file_first_aid_engine.h"

#include <algorithm>
#include <system_error>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/file_samples.h"
#include "firstaid/media_container.h"
#include "platform/file_properties.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

std::int64_t fileByteSize(const std::filesystem::path& url) {
    auto properties = platform::fileProperties(url);
    if (!properties) return 0;
    if (properties->totalAllocatedSize) return *properties->totalAllocatedSize;
    if (properties->allocatedSize) return *properties->allocatedSize;
    return properties->logicalSize;
}

std::int64_t logicalFileByteSize(const std::filesystem::path& url) {
    auto properties = platform::fileProperties(url);
    return properties ? std::max<std::int64_t>(properties->logicalSize, 0) : 0;
}

FileRepairKind detectKind(const std::filesystem::path& url) {
    if (auto kind = fileRepairKindForExtension(text_helpers::lowercased(text_helpers::pathExtension(url)))) {
        return *kind;
    }
    const auto head = readBytes(url, 0, RepairLimits::kindSniffBytes);
    auto startsWith = [&](std::string_view prefix, std::size_t at = 0) {
        return head.size() >= at + prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), head.begin() + static_cast<std::ptrdiff_t>(at),
                          [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
    };
    if (startsWith(std::string_view("PK\x03\x04", 4))) return FileRepairKind::zipArchive;
    if (startsWith("%PDF-")) return FileRepairKind::pdfDocument;
    if (head.size() >= 12 && startsWith("ftyp", 4)) return FileRepairKind::videoContainer;
    return FileRepairKind::unknown;
}

FileRepairDiagnostic startDiagnostic(const std::filesystem::path& url, FileRepairKind kind, std::int64_t sizeBytes) {
    FileRepairDiagnostic diagnostic;
    diagnostic.sourceURL = url;
    diagnostic.kind = kind;
    diagnostic.sizeBytes = sizeBytes;
    diagnostic.toolNotes = toolNotes();
    return diagnostic;
}

FileRepairDiagnostic diagnoseUnsupported(const std::filesystem::path& url, std::int64_t sizeBytes) {
    auto diagnostic = startDiagnostic(url, FileRepairKind::unknown, sizeBytes);
    diagnostic.findings.emplace_back(
        "Supported formats",
        "Tidewell diagnoses ZIP, PDF, PPTX, DOCX, XLSX, MP4, MOV, M4V, common images, and common audio files. Repair "
        "exports are available for archives, readable PDFs, and images; video and audio exports require a bundled "
        "ffmpeg build.",
        RepairFindingLevel::info);
    diagnostic.recommendedAction = "Choose a supported file type.";
    return diagnostic;
}

WholenessCheck checkWholeness(const std::filesystem::path& url) {
    if (detectKind(url) == FileRepairKind::unknown) return {};
    try {
        const FileRepairDiagnostic diagnostic = diagnose(url);
        for (const RepairFinding& finding : diagnostic.findings)
            if (finding.level == RepairFindingLevel::failed) return {.checked = true, .problem = finding.title};
        return {.checked = true, .problem = std::nullopt};
    } catch (const std::exception&) {
        return {};
    }
}

FileRepairDiagnostic diagnose(const std::filesystem::path& url) {
    std::error_code error;
    if (std::filesystem::is_directory(url, error)) throw RepairError::cannotRead("Choose a file, not a folder.");
    const std::int64_t sizeBytes = fileByteSize(url);
    // A sparse file allocates almost nothing yet holds its full logical
    // length: the refusals look at whichever size is larger.
    const std::int64_t checkedSize = std::max(sizeBytes, logicalFileByteSize(url));
    if (checkedSize <= 0) throw RepairError::cannotRead("This file is empty.");
    if (checkedSize > RepairLimits::maximumInputBytes) {
        throw RepairError::cannotRead("This file is larger than the 50 GB local repair limit.");
    }
    const FileRepairKind kind = detectKind(url);
    switch (kind) {
        case FileRepairKind::zipArchive:
        case FileRepairKind::officeDocument:
            return diagnoseArchive(url, kind, sizeBytes);
        case FileRepairKind::pdfDocument:
            return diagnosePDF(url, sizeBytes);
        case FileRepairKind::videoContainer:
            return diagnoseVideo(url, sizeBytes);
        case FileRepairKind::imageFile:
            return diagnoseImage(url, sizeBytes);
        case FileRepairKind::audioFile:
            return diagnoseAudio(url, sizeBytes);
        case FileRepairKind::unknown:
            break;
    }
    return diagnoseUnsupported(url, sizeBytes);
}

}  // namespace tidewell::FileFirstAidEngine
