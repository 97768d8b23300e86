// Feeds arbitrary text to the ffprobe JSON decoder.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "firstaid/media_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto probe =
        tidewell::FileFirstAidEngine::MediaProbe::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (probe) {
        (void)probe->duration();
        if (probe->playableStreams().size() > probe->streams.size()) __builtin_trap();
    }
    return 0;
}
