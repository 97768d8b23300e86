#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include <gif_lib.h>
#include <tiffio.h>

// giflib and libtiff reading image bytes already in memory, so that a file
// checked once is decoded from the same bytes rather than opened again.
namespace tidewell::platform {

// Give DGifOpen the source as user data and readGifFromMemory as its reader.
struct GifMemorySource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// A short count makes giflib fail the decode.
int readGifFromMemory(GifFileType* gif, GifByteType* target, int length);

// The bytes libtiff reads through its client callbacks, plus whether it complained.
struct TiffMemoryStream {
    std::span<const std::uint8_t> bytes;
    toff_t offset = 0;
    bool failed = false;
};

// Opens bytes read-only for libtiff, unmapped; errors are recorded in the
// stream instead of printed and warnings are dropped.
class TiffMemoryReader {
public:
    explicit TiffMemoryReader(std::span<const std::uint8_t> bytes);
    TiffMemoryReader(const TiffMemoryReader&) = delete;
    TiffMemoryReader& operator=(const TiffMemoryReader&) = delete;

    // Null when libtiff could not open the bytes.
    TIFF* tiff() const { return tiff_.get(); }
    // libtiff reported an error while opening or reading.
    bool failed() const { return stream_.failed; }

private:
    TiffMemoryStream stream_;
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options_;
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff_;
};

}  // namespace tidewell::platform
