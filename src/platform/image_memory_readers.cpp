#include "platform/image_memory_readers.h"

#include <algorithm>
#include <cstring>

namespace tidewell::platform {

int readGifFromMemory(GifFileType* gif, GifByteType* target, int length) {
    auto* source = static_cast<GifMemorySource*>(gif->UserData);
    if (length <= 0) return 0;
    std::size_t count = std::min(static_cast<std::size_t>(length), source->bytes.size() - source->position);
    if (count > 0) std::memcpy(target, source->bytes.data() + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

namespace {

tmsize_t readBytes(thandle_t handle, void* buffer, tmsize_t size) {
    auto* stream = static_cast<TiffMemoryStream*>(handle);
    if (size <= 0 || stream->offset >= stream->bytes.size()) return 0;
    const auto count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), stream->bytes.size() - stream->offset);
    std::memcpy(buffer, stream->bytes.data() + stream->offset, count);
    stream->offset += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t writeBytes(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence) {
    auto* stream = static_cast<TiffMemoryStream*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR) base = stream->offset;
    if (whence == SEEK_END) base = stream->bytes.size();
    stream->offset = base + offset;
    return stream->offset;
}

int closeStream(thandle_t) {
    return 0;
}
toff_t streamSize(thandle_t handle) {
    return static_cast<TiffMemoryStream*>(handle)->bytes.size();
}
int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapNothing(thandle_t, void*, toff_t) {}

int recordError(TIFF*, void* userData, const char*, const char*, va_list) {
    static_cast<TiffMemoryStream*>(userData)->failed = true;
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

}  // namespace

TiffMemoryReader::TiffMemoryReader(std::span<const std::uint8_t> bytes)
    : stream_{bytes}, options_(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree), tiff_(nullptr, TIFFClose) {
    if (!options_) return;
    TIFFOpenOptionsSetErrorHandlerExtR(options_.get(), recordError, &stream_);
    TIFFOpenOptionsSetWarningHandlerExtR(options_.get(), ignoreWarning, &stream_);
    tiff_.reset(TIFFClientOpenExt("memory", "rm", &stream_, readBytes, writeBytes, seekTo, closeStream, streamSize,
                                  mapNothing, unmapNothing, options_.get()));
}

}  // namespace tidewell::platform
