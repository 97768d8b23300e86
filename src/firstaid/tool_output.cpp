#include "firstaid/tool_output.h"

#include <algorithm>
#include <system_error>

#include "util/text_helpers.h"

namespace tidewell {

namespace {

bool isUTF8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Start of the last `count` characters (code points) of UTF-8 text.
std::size_t startOfLastCharacters(std::string_view text, std::size_t count) {
    std::size_t position = text.size();
    while (position > 0 && count > 0) {
        --position;
        if (!isUTF8Continuation(text[position])) --count;
    }
    return position;
}

}  // namespace

namespace FileFirstAidEngine {

double commandTimeout(const std::filesystem::path& url) {
    std::error_code error;
    const auto size = std::filesystem::file_size(url, error);
    const double mebibytes = error ? 0.0 : static_cast<double>(size) / 1'048'576.0;
    return std::min(Limits::kLongestCommandTimeout,
                    std::max(Limits::kShortestCommandTimeout,
                             Limits::kShortestCommandTimeout + Limits::kCommandTimeoutPerMiB * mebibytes));
}

std::string shorten(std::string_view text, const std::string& fallback) {
    std::string trimmed = text_helpers::trimmed(text);
    if (trimmed.empty()) return fallback;
    return trimmed.substr(startOfLastCharacters(trimmed, Limits::kShortenedOutputLength));
}

}  // namespace FileFirstAidEngine

}  // namespace tidewell
