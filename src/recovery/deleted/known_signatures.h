#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tidewell::FATDeletedRecoveryEngine {

// The first known signature the leading bytes match: "JPEG", "PNG", "GIF",
// "PDF", "ZIP", "RAR", "ISO media", "MP3" or "RIFF"; none for empty data.
std::optional<std::string> knownSignature(std::span<const std::uint8_t> data);

// True when the data passes the byte test of that one signature name; false
// for names outside the table.
bool passesSignatureTest(const std::string& signature, std::span<const std::uint8_t> data);

// "JPEG" → "jpg", ..., "RIFF" → "wav"; none for other names.
std::optional<std::string> signatureExtension(const std::optional<std::string>& signature);

// Whether the name's extension agrees with the signature (".mov" for ISO
// media, ".docx" for ZIP, ...); false when the signature has no extension.
bool extensionMatchesSignature(const std::string& name, const std::optional<std::string>& signature);

// True only for a whole JPEG, PNG or GIF file that decodes strictly.
bool validatesContent(const std::optional<std::string>& signature, std::span<const std::uint8_t> data,
                      bool containsEntireFile);

}  // namespace tidewell::FATDeletedRecoveryEngine
