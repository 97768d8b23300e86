#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::FileFirstAidEngine {

// Stream information printed by ffprobe as JSON.
struct MediaProbe {
    struct Stream {
        std::optional<std::string> codecType;  // "codec_type"
        std::optional<std::string> codecName;  // "codec_name"
        bool operator==(const Stream&) const = default;
    };
    struct Format {
        std::optional<std::string> duration;  // "duration", as the tool prints it
        bool operator==(const Format&) const = default;
    };

    std::vector<Stream> streams;   // "streams", required
    std::optional<Format> format;  // "format"

    // format.duration as a decimal number; none when absent or unparsable.
    std::optional<double> duration() const;
    // The video and audio streams.
    std::vector<Stream> playableStreams() const;

    // None when the text is not JSON of this shape.
    static std::optional<MediaProbe> decode(std::string_view json);
    bool operator==(const MediaProbe&) const = default;
};

// Runs ffprobe from the resource folder; none without the tool or on any failure.
std::optional<MediaProbe> mediaProbe(const std::filesystem::path& url);

}  // namespace tidewell::FileFirstAidEngine
