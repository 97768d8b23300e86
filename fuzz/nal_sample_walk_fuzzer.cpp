// Feeds arbitrary bytes, as media data that lost its index, to the H.264 and HEVC access-unit
// walk, whole and cut short, and checks that every unit it finds lies inside the bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "firstaid/nal_sample_walk.h"

namespace {

using tidewell::FileFirstAidEngine::AccessUnit;
using tidewell::FileFirstAidEngine::AccessUnitFit;
using tidewell::FileFirstAidEngine::NalSampleWalker;
using tidewell::FileFirstAidEngine::VideoCodec;

// avcC of a 64x64 High-profile stream (POC type 0, CABAC), as libx264 writes it.
constexpr std::array<std::uint8_t, 43> avcConfiguration{
    0x01, 0x64, 0x00, 0x0a, 0xff, 0xe1, 0x00, 0x18, 0x67, 0x64, 0x00, 0x0a, 0xac, 0xd9, 0x44,
    0x26, 0xc0, 0x44, 0x00, 0x00, 0x03, 0x00, 0x04, 0x00, 0x00, 0x03, 0x00, 0xc8, 0x3c, 0x48,
    0x96, 0x58, 0x01, 0x00, 0x04, 0x68, 0xef, 0x8f, 0xcb, 0xfd, 0xf8, 0xf8, 0x00};

// The walk over bytes as the rebuild drives it: unit after unit until none fits.
void walk(VideoCodec codec, std::span<const std::uint8_t> configuration, std::span<const std::uint8_t> bytes) {
    NalSampleWalker walker(codec, configuration);
    std::size_t at = 0;
    while (at < bytes.size()) {
        AccessUnit unit;
        const auto fit = walker.accessUnitAt(bytes.subspan(at), true, unit);
        if (fit != AccessUnitFit::found) break;
        if (unit.length == 0 || unit.length > bytes.size() - at) __builtin_trap();
        walker.accept(unit);
        at += unit.length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    walk(VideoCodec::h264, avcConfiguration, bytes);
    walk(VideoCodec::h264, avcConfiguration, bytes.first(size / 2));
    // The first bytes as the configuration too, so parameter-set parsing meets random input.
    const std::size_t split = size > 0 ? data[0] % (size + 1) : 0;
    walk(VideoCodec::hevc, bytes.first(split), bytes.subspan(split));
    walk(VideoCodec::h264, bytes.first(split), bytes.subspan(split));
    return 0;
}
