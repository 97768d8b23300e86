#include "platform/aac_frame_probe.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace tidewell::platform {

struct AacFrameProbe::Decoder {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    ~Decoder() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

AacFrameProbe::AacFrameProbe(std::span<const std::uint8_t> audioSpecificConfig)
    : decoder_(std::make_unique<Decoder>()), configuration_(audioSpecificConfig.begin(), audioSpecificConfig.end()) {
    // Candidate spans that are not frames are the normal case here, not news for the log.
    av_log_set_level(AV_LOG_QUIET);
    decoder_->packet = av_packet_alloc();
    decoder_->frame = av_frame_alloc();
    if (!decoder_->packet || !decoder_->frame) throw std::runtime_error("out of memory");
    if (configuration_.empty() || !openDecoder())
        throw std::runtime_error("the AAC decoder refused this configuration");
    channels_ = decoder_->context->ch_layout.nb_channels;
}

// A fresh decoder: after a failed frame the AAC decoder keeps changed output state that a flush
// does not undo, so the same span could decode differently on the next try.
bool AacFrameProbe::openDecoder() {
    avcodec_free_context(&decoder_->context);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (!codec) return false;
    decoder_->context = avcodec_alloc_context3(codec);
    if (!decoder_->context) return false;
    auto* extradata = static_cast<std::uint8_t*>(av_mallocz(configuration_.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!extradata) return false;
    std::memcpy(extradata, configuration_.data(), configuration_.size());
    decoder_->context->extradata = extradata;
    decoder_->context->extradata_size = static_cast<int>(configuration_.size());
    // Strict: a span that only decodes with concealment is not a frame.
    decoder_->context->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    return avcodec_open2(decoder_->context, codec, nullptr) == 0;
}

AacFrameProbe::~AacFrameProbe() = default;

namespace {

// channelConfiguration of an AudioSpecificConfig (ISO/IEC 14496-3 1.6.2.1), 0 when unknown.
int channelConfiguration(const std::vector<std::uint8_t>& configuration) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(configuration.size(), 8); ++i)
        bits |= std::uint64_t{configuration[i]} << (56 - 8 * i);
    int used = 5;
    if ((bits >> 59) == 31) used += 6;  // escaped object type
    const auto frequencyIndex = static_cast<int>((bits >> (60 - used)) & 0xF);
    used += 4;
    if (frequencyIndex == 15) used += 24;  // explicit frequency
    if (used + 4 > static_cast<int>(configuration.size()) * 8) return 0;
    return static_cast<int>((bits >> (60 - used)) & 0xF);
}

}  // namespace

// The decoder follows each frame's own elements, so a frame of another layout would decode; its
// first syntactic element (the top 3 bits) tells: a single channel (0) for mono, a channel pair
// (1) for stereo; data (4), program config (5) and fill (6) elements may come first in either.
bool AacFrameProbe::opensAsConfigured(std::uint8_t firstByte) const {
    const int element = firstByte >> 5;
    if (element == 4 || element == 5 || element == 6) return true;
    switch (channelConfiguration(configuration_)) {
        case 1:
            return element == 0;
        case 2:
            return element == 1;
        default:
            return true;
    }
}

// One packet of bytes: the first frame, then (when asked) a try at a second one from what the
// decoder left, whose packet size (the bytes remaining when it started) gives the first frame's
// length. A failed first frame leaves a fresh decoder behind. A failed second frame is only
// flushed: it is the common case (the next sample belongs to another track), and a fresh decoder
// each time would cost more than the rest of the walk together.
AacFrameProbe::Decode AacFrameProbe::decode(std::span<const std::uint8_t> bytes, bool next) {
    Decode result;
    avcodec_flush_buffers(decoder_->context);
    av_packet_unref(decoder_->packet);
    if (av_new_packet(decoder_->packet, static_cast<int>(bytes.size())) < 0) return result;
    std::memcpy(decoder_->packet->data, bytes.data(), bytes.size());
    const bool sent = avcodec_send_packet(decoder_->context, decoder_->packet) == 0;
    // The decoder follows a frame's own channel elements; a frame of another channel layout than
    // the configuration's belongs to another recording.
    result.frame = sent && avcodec_receive_frame(decoder_->context, decoder_->frame) == 0 &&
                   decoder_->frame->ch_layout.nb_channels == channels_;
    av_frame_unref(decoder_->frame);
    if (!result.frame) {
        if (!openDecoder()) throw std::runtime_error("the AAC decoder could not be reopened");
        return result;
    }
    if (!next) return result;
    const int second = avcodec_receive_frame(decoder_->context, decoder_->frame);
    if (second == 0 && decoder_->frame->pkt_size > 0 &&
        static_cast<std::size_t>(decoder_->frame->pkt_size) < bytes.size())
        result.length = bytes.size() - static_cast<std::size_t>(decoder_->frame->pkt_size);
    result.wholePacket = second == AVERROR(EAGAIN);
    av_frame_unref(decoder_->frame);
    return result;
}

// A span shorter than its frame runs out of bits before the frame's end element and fails; a
// span that holds the frame yields it first, whatever follows. So the frame's length is the
// shortest span that decodes.
std::optional<std::size_t> AacFrameProbe::searchedLength(std::span<const std::uint8_t> bytes) {
    std::size_t high = std::min(bytes.size(), maximumFrameBytes);
    if (high == 0 || !decode(bytes.first(high), false).frame) return std::nullopt;
    std::size_t low = 1;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (decode(bytes.first(middle), false).frame) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return high;
}

std::optional<std::size_t> AacFrameProbe::frameLength(std::span<const std::uint8_t> bytes,
                                                      const std::function<bool(std::size_t)>& likelyEnd) {
    if (bytes.empty() || !opensAsConfigured(bytes[0])) return std::nullopt;
    bytes = bytes.first(std::min(bytes.size(), 2 * maximumFrameBytes));
    const Decode generous = decode(bytes, true);
    if (!generous.frame) return std::nullopt;
    if (generous.length) return *generous.length <= maximumFrameBytes ? generous.length : std::nullopt;
    // What follows is no AAC frame. Where it looks like the start of other data, a span ending
    // there that the decoder takes whole (a frame may be followed by zero bytes only, so the byte
    // before the end must not be one) is exactly the frame.
    if (likelyEnd) {
        const std::size_t last = std::min(bytes.size(), maximumFrameBytes);
        for (std::size_t end = 1; end <= last; ++end) {
            if (bytes[end - 1] == 0 || !likelyEnd(end)) continue;
            const Decode bounded = decode(bytes.first(end), true);
            if (!bounded.frame) continue;  // the frame goes on past this end
            if (bounded.wholePacket) return end;
            if (bounded.length) return bounded.length;
            break;
        }
    }
    return searchedLength(bytes);
}

}  // namespace tidewell::platform
