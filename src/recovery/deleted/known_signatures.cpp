#include "recovery/deleted/known_signatures.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/image_decoder.h"
#include "util/text_helpers.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

struct SignatureRow {
    std::string_view name;
    std::string_view extension;
    std::size_t minimumLength;
    bool (*test)(std::span<const std::uint8_t>);
};

bool hasBytesAt(std::span<const std::uint8_t> data, std::size_t at, std::string_view expected) {
    if (data.size() < at + expected.size()) return false;
    return std::equal(expected.begin(), expected.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                      [](char e, std::uint8_t d) { return static_cast<std::uint8_t>(e) == d; });
}

// The table order is the order of the tests: the first match wins.
constexpr std::array<SignatureRow, 9> signatureTable{{
    {"JPEG", "jpg", 3, [](auto d) { return hasBytesAt(d, 0, "\xFF\xD8\xFF"); }},
    {"PNG", "png", 8, [](auto d) { return hasBytesAt(d, 0, "\x89PNG\r\n\x1A\n"); }},
    {"GIF", "gif", 6, [](auto d) { return hasBytesAt(d, 0, "GIF87a") || hasBytesAt(d, 0, "GIF89a"); }},
    {"PDF", "pdf", 4, [](auto d) { return hasBytesAt(d, 0, "%PDF"); }},
    {"ZIP", "zip", 4, [](auto d) { return hasBytesAt(d, 0, "PK\x03\x04"); }},
    {"RAR", "rar", 7, [](auto d) { return hasBytesAt(d, 0, "Rar!\x1A\x07"); }},
    {"ISO media", "mp4", 12, [](auto d) { return hasBytesAt(d, 4, "ftyp"); }},
    {"MP3", "mp3", 3, [](auto d) { return hasBytesAt(d, 0, "ID3"); }},
    {"RIFF", "wav", 4, [](auto d) { return hasBytesAt(d, 0, "RIFF"); }},
}};

const SignatureRow* row(const std::optional<std::string>& signature) {
    if (!signature) return nullptr;
    auto match = std::find_if(signatureTable.begin(), signatureTable.end(),
                              [&](const SignatureRow& r) { return r.name == *signature; });
    return match == signatureTable.end() ? nullptr : &*match;
}

std::string lowerCasedExtension(const std::string& name) {
    // ASCII lowering: the process locale (Turkish, say) must not turn "GIF" into anything but "gif".
    return text_helpers::lowercased(text_helpers::pathExtension(name));
}

}  // namespace

std::optional<std::string> knownSignature(std::span<const std::uint8_t> data) {
    for (const auto& r : signatureTable)
        if (data.size() >= r.minimumLength && r.test(data)) return std::string(r.name);
    return std::nullopt;
}

bool passesSignatureTest(const std::string& signature, std::span<const std::uint8_t> data) {
    const SignatureRow* r = row(signature);
    return r != nullptr && data.size() >= r->minimumLength && r->test(data);
}

std::optional<std::string> signatureExtension(const std::optional<std::string>& signature) {
    const SignatureRow* r = row(signature);
    if (r == nullptr) return std::nullopt;
    return std::string(r->extension);
}

bool extensionMatchesSignature(const std::string& name, const std::optional<std::string>& signature) {
    auto expected = signatureExtension(signature);
    if (!expected) return false;
    std::string extension = lowerCasedExtension(name);
    auto isOneOf = [&](std::initializer_list<std::string_view> accepted) {
        return std::find(accepted.begin(), accepted.end(), extension) != accepted.end();
    };
    if (*expected == "mp4") return isOneOf({"mp4", "mov", "m4v"});
    if (*expected == "wav") return isOneOf({"wav", "avi"});
    if (*expected == "zip") return isOneOf({"zip", "docx", "xlsx", "pptx", "apk"});
    return extension == *expected;
}

bool validatesContent(const std::optional<std::string>& signature, std::span<const std::uint8_t> data,
                      bool containsEntireFile) {
    if (!containsEntireFile || !signature) return false;
    if (*signature == "JPEG") return platform::decodeJpeg(data).has_value();
    if (*signature == "PNG") return platform::decodePng(data).has_value();
    if (*signature == "GIF") return platform::decodeGif(data).has_value();
    return false;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
