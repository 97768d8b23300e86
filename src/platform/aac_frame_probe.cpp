#include "platform/aac_frame_probe.h"

#include <algorithm>
#include <cstring>
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
    : decoder_(std::make_unique<Decoder>()) {
    // Candidate spans that are not frames are the normal case here, not news for the log.
    av_log_set_level(AV_LOG_QUIET);
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
    if (!codec || audioSpecificConfig.empty()) throw std::runtime_error("no AAC decoder for this configuration");
    decoder_->context = avcodec_alloc_context3(codec);
    decoder_->packet = av_packet_alloc();
    decoder_->frame = av_frame_alloc();
    if (!decoder_->context || !decoder_->packet || !decoder_->frame) throw std::runtime_error("out of memory");
    auto* extradata = static_cast<std::uint8_t*>(av_mallocz(audioSpecificConfig.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!extradata) throw std::runtime_error("out of memory");
    std::memcpy(extradata, audioSpecificConfig.data(), audioSpecificConfig.size());
    decoder_->context->extradata = extradata;
    decoder_->context->extradata_size = static_cast<int>(audioSpecificConfig.size());
    // Strict: a span that only decodes with concealment is not a frame.
    decoder_->context->err_recognition = AV_EF_EXPLODE | AV_EF_BITSTREAM | AV_EF_BUFFER;
    if (avcodec_open2(decoder_->context, codec, nullptr) < 0)
        throw std::runtime_error("the AAC decoder refused this configuration");
    channels_ = decoder_->context->ch_layout.nb_channels;
}

AacFrameProbe::~AacFrameProbe() = default;

// A span shorter than its frame runs out of bits before the frame's end element and fails; a
// span that holds the frame yields it first, whatever follows. So the frame's length is the
// shortest span that decodes.
bool AacFrameProbe::decodesOneFrame(std::span<const std::uint8_t> bytes) {
    avcodec_flush_buffers(decoder_->context);
    av_packet_unref(decoder_->packet);
    if (av_new_packet(decoder_->packet, static_cast<int>(bytes.size())) < 0) return false;
    std::memcpy(decoder_->packet->data, bytes.data(), bytes.size());
    if (avcodec_send_packet(decoder_->context, decoder_->packet) < 0) return false;
    const int received = avcodec_receive_frame(decoder_->context, decoder_->frame);
    // The decoder follows a frame's own channel elements; a frame of another channel layout than
    // the configuration's belongs to another recording.
    const bool sameChannels = decoder_->frame->ch_layout.nb_channels == channels_;
    av_frame_unref(decoder_->frame);
    return received == 0 && sameChannels;
}

std::optional<std::size_t> AacFrameProbe::frameLength(std::span<const std::uint8_t> bytes) {
    std::size_t high = std::min(bytes.size(), maximumFrameBytes);
    if (high == 0 || !decodesOneFrame(bytes.first(high))) return std::nullopt;
    std::size_t low = 1;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (decodesOneFrame(bytes.first(middle))) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return high;
}

}  // namespace tidewell::platform
