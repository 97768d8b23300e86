#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// What File First Aid takes a file to be. The raw value is also the label.
enum class FileRepairKind { zipArchive, officeDocument, pdfDocument, videoContainer, imageFile, audioFile, unknown };

inline constexpr std::array<FileRepairKind, 7> allFileRepairKinds{
    FileRepairKind::zipArchive,     FileRepairKind::officeDocument, FileRepairKind::pdfDocument,
    FileRepairKind::videoContainer, FileRepairKind::imageFile,      FileRepairKind::audioFile,
    FileRepairKind::unknown};

std::string rawValue(FileRepairKind kind);
std::optional<FileRepairKind> fileRepairKindFromRawValue(std::string_view raw);
std::string label(FileRepairKind kind);
std::string symbol(FileRepairKind kind);

// The kind for a lower-cased path extension (without the dot); none when no row matches.
std::optional<FileRepairKind> fileRepairKindForExtension(std::string_view lowercasedExtension);

}  // namespace tidewell
