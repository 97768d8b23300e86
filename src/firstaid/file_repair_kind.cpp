#include "firstaid/file_repair_kind.h"

#include "firstaid/raw_value_lookup.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tidewell {

std::string rawValue(FileRepairKind kind) {
    switch (kind) {
        case FileRepairKind::zipArchive:
            return "ZIP Archive";
        case FileRepairKind::officeDocument:
            return "Office Document";
        case FileRepairKind::pdfDocument:
            return "PDF";
        case FileRepairKind::videoContainer:
            return "MP4/MOV";
        case FileRepairKind::imageFile:
            return "Image";
        case FileRepairKind::audioFile:
            return "Audio";
        case FileRepairKind::unknown:
            return "Unsupported";
    }
    return "Unsupported";
}

std::optional<FileRepairKind> fileRepairKindFromRawValue(std::string_view raw) {
    return caseWithRawValue<FileRepairKind>(allFileRepairKinds, raw);
}

std::string label(FileRepairKind kind) {
    return rawValue(kind);
}

std::string symbol(FileRepairKind kind) {
    switch (kind) {
        case FileRepairKind::zipArchive:
            return "archivebox";
        case FileRepairKind::officeDocument:
            return "doc.richtext";
        case FileRepairKind::pdfDocument:
            return "doc.text";
        case FileRepairKind::videoContainer:
            return "film";
        case FileRepairKind::imageFile:
            return "photo";
        case FileRepairKind::audioFile:
            return "waveform";
        case FileRepairKind::unknown:
            return "questionmark.folder";
    }
    return "questionmark.folder";
}

std::optional<FileRepairKind> fileRepairKindForExtension(std::string_view lowercasedExtension) {
    // Checked in this order; the first row holding the extension wins.
    static const std::vector<std::pair<std::vector<std::string_view>, FileRepairKind>> table{
        {{"pptx", "docx", "xlsx"}, FileRepairKind::officeDocument},
        {{"zip"}, FileRepairKind::zipArchive},
        {{"pdf"}, FileRepairKind::pdfDocument},
        {{"mp4", "mov", "m4v"}, FileRepairKind::videoContainer},
        {{"jpg", "jpeg", "png", "heic", "tiff", "gif"}, FileRepairKind::imageFile},
        {{"mp3", "m4a", "aac", "wav", "aiff"}, FileRepairKind::audioFile},
    };
    for (const auto& [extensions, kind] : table) {
        if (std::find(extensions.begin(), extensions.end(), lowercasedExtension) != extensions.end()) return kind;
    }
    return std::nullopt;
}

}  // namespace tidewell
