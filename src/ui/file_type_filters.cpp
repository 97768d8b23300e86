#include "ui/file_type_filters.h"

#include <functional>
#include <map>

#include "ui/qt_text.h"

namespace tidewell::FileTypeFilters {

namespace {

const std::map<std::string, std::vector<std::string>, std::less<>>& patternsByType() {
    static const std::map<std::string, std::vector<std::string>, std::less<>> patterns{
        {"application/zip", {"*.zip"}},
        {"application/vnd.android.package-archive", {"*.apk"}},
        {"application/pdf", {"*.pdf"}},
        {"com.adobe.pdf", {"*.pdf"}},
        {"application/vnd.openxmlformats-officedocument.presentationml.presentation", {"*.pptx"}},
        {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", {"*.docx"}},
        {"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", {"*.xlsx"}},
        {"video/mp4", {"*.mp4"}},
        {"video/quicktime", {"*.mov"}},
        {"video/x-m4v", {"*.m4v"}},
        {"image/jpeg", {"*.jpg", "*.jpeg"}},
        {"public.jpeg", {"*.jpg", "*.jpeg"}},
        {"image/png", {"*.png"}},
        {"image/heif", {"*.heic", "*.heif"}},
        {"image/tiff", {"*.tiff", "*.tif"}},
        {"image/gif", {"*.gif"}},
        {"audio/mpeg", {"*.mp3"}},
        {"audio/mp4", {"*.m4a"}},
        {"audio/aac", {"*.aac"}},
        {"audio/x-wav", {"*.wav"}},
        {"audio/x-aiff", {"*.aiff", "*.aif"}},
    };
    return patterns;
}

}  // namespace

std::vector<std::string> globPatterns(std::string_view contentType) {
    const auto found = patternsByType().find(contentType);
    return found == patternsByType().end() ? std::vector<std::string>{} : found->second;
}

QStringList nameFilters(const std::vector<std::string>& contentTypes) {
    const QString allFiles = QStringLiteral("All files (*)");
    QStringList patterns;
    for (const std::string& type : contentTypes) {
        const std::vector<std::string> known = globPatterns(type);
        if (known.empty()) return {allFiles};
        for (const std::string& pattern : known)
            if (!patterns.contains(toQString(pattern))) patterns << toQString(pattern);
    }
    if (patterns.empty()) return {allFiles};
    return {QStringLiteral("Supported files (%1)").arg(patterns.join(QLatin1Char(' ')))};
}

}  // namespace tidewell::FileTypeFilters
