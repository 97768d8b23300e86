#include <algorithm>
#include <map>

#include "firstaid/file_first_aid_engine.h"

namespace tidewell::FileFirstAidEngine {

const std::vector<std::string>& supportedExtensions() {
    static const std::vector<std::string> extensions{"zip", "apk", "pdf", "pptx", "docx", "xlsx", "mp4",
                                                     "mov", "m4v", "jpg", "jpeg", "png",  "heic", "tiff",
                                                     "gif", "mp3", "m4a", "aac",  "wav",  "aiff"};
    return extensions;
}

std::vector<std::string> supportedContentTypes() {
    // The desktop's shared MIME names for each extension.
    static const std::map<std::string, std::string> mimeTypes{
        {"zip", "application/zip"},
        {"apk", "application/vnd.android.package-archive"},
        {"pdf", "application/pdf"},
        {"pptx", "application/vnd.openxmlformats-officedocument.presentationml.presentation"},
        {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
        {"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
        {"mp4", "video/mp4"},
        {"mov", "video/quicktime"},
        {"m4v", "video/x-m4v"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"png", "image/png"},
        {"heic", "image/heif"},
        {"tiff", "image/tiff"},
        {"gif", "image/gif"},
        {"mp3", "audio/mpeg"},
        {"m4a", "audio/mp4"},
        {"aac", "audio/aac"},
        {"wav", "audio/x-wav"},
        {"aiff", "audio/x-aiff"},
    };
    std::vector<std::string> types;
    for (const auto& extension : supportedExtensions()) {
        auto found = mimeTypes.find(extension);
        if (found == mimeTypes.end()) continue;
        // "jpg" and "jpeg" share one type; a chooser filter needs it once.
        if (std::find(types.begin(), types.end(), found->second) == types.end()) types.push_back(found->second);
    }
    return types;
}

}  // namespace tidewell::FileFirstAidEngine
