#include "recovery/readable/recovery_candidate_kind.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "util/text_helpers.h"

namespace tidewell::RecoveryCandidateKinds {

namespace {

struct KindRow {
    RecoveryCandidateKind kind;
    const char* raw;
    const char* symbol;
    std::initializer_list<std::string_view> extensions;
};

const std::array<KindRow, 6>& rows() {
    static const std::array<KindRow, 6> table{{
        {RecoveryCandidateKind::photo,
         "Photo",
         "photo",
         {"jpg", "jpeg", "png", "gif", "heic", "heif", "tif", "tiff", "webp", "bmp", "raw", "cr2", "cr3", "nef", "arw",
          "dng"}},
        {RecoveryCandidateKind::video, "Video", "film", {"mp4", "mov", "m4v", "avi", "mkv", "mts", "m2ts", "webm"}},
        {RecoveryCandidateKind::document,
         "Document",
         "doc.text",
         {"pdf", "doc", "docx", "xls", "xlsx", "ppt", "pptx", "txt", "md", "rtf", "pages", "numbers", "key"}},
        {RecoveryCandidateKind::audio, "Audio", "waveform", {"mp3", "m4a", "aac", "wav", "aiff", "flac", "ogg"}},
        {RecoveryCandidateKind::archive, "Archive", "archivebox", {"zip", "apk", "rar", "7z", "tar", "gz"}},
        {RecoveryCandidateKind::other, "Other", "doc", {}},
    }};
    return table;
}

const KindRow& row(RecoveryCandidateKind kind) {
    return *std::find_if(rows().begin(), rows().end(), [&](const KindRow& r) { return r.kind == kind; });
}

}  // namespace

std::string rawValue(RecoveryCandidateKind kind) {
    return row(kind).raw;
}

std::string symbol(RecoveryCandidateKind kind) {
    return row(kind).symbol;
}

std::optional<RecoveryCandidateKind> fromRawValue(std::string_view raw) {
    for (const auto& r : rows())
        if (raw == r.raw) return r.kind;
    return std::nullopt;
}

RecoveryCandidateKind detect(const std::filesystem::path& url) {
    // ASCII lowering, whatever the process locale says of "I".
    const std::string extension = text_helpers::lowercased(text_helpers::pathExtension(url));
    if (extension.empty()) return RecoveryCandidateKind::other;
    for (const auto& r : rows())
        if (std::find(r.extensions.begin(), r.extensions.end(), extension) != r.extensions.end()) return r.kind;
    return RecoveryCandidateKind::other;
}

}  // namespace tidewell::RecoveryCandidateKinds
