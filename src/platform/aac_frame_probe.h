#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tidewell::platform {

// Finds where a raw AAC frame ends. Raw AAC (as stored in MP4 and MOV samples) has neither a
// sync word nor a length: the end of a frame is known only once its Huffman-coded spectral data
// is decoded, so the platform's AAC decoder decodes candidate spans.
class AacFrameProbe {
public:
    static constexpr std::size_t maximumFrameBytes = 6144;  // 6144 bits per channel, 8 channels

    // audioSpecificConfig: the decoder configuration of the track (ISO/IEC 14496-3 1.6.2.1).
    // Throws std::runtime_error when the decoder does not accept it.
    explicit AacFrameProbe(std::span<const std::uint8_t> audioSpecificConfig);
    ~AacFrameProbe();
    AacFrameProbe(const AacFrameProbe&) = delete;
    AacFrameProbe& operator=(const AacFrameProbe&) = delete;

    // The length of the whole frame at the start of bytes, or none when no prefix of them decodes
    // as one frame of this configuration. Bytes past the frame help: up to another
    // maximumFrameBytes let the next frame, when it is AAC, tell where this one ends. likelyEnd
    // (may be empty) says whether bytes from an offset on look like the start of whatever else
    // the data holds (another track's sample); such offsets are tried as the end first.
    std::optional<std::size_t> frameLength(std::span<const std::uint8_t> bytes,
                                           const std::function<bool(std::size_t)>& likelyEnd = {});

private:
    struct Decode {
        bool frame = false;                 // the bytes start with one frame of this configuration
        bool wholePacket = false;           // the frame, with at most zero bytes after it, is all of the bytes
        std::optional<std::size_t> length;  // known when a second frame followed it
    };
    Decode decode(std::span<const std::uint8_t> bytes, bool next);
    std::optional<std::size_t> searchedLength(std::span<const std::uint8_t> bytes);
    bool openDecoder();
    bool opensAsConfigured(std::uint8_t firstByte) const;

    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    std::vector<std::uint8_t> configuration_;
    int channels_ = 0;
};

}  // namespace tidewell::platform
