// Replays hostile inputs through the ffprobe JSON decoder's fuzz entry.
#define LLVMFuzzerTestOneInput mediaProbeFuzzerEntry
#include "../../fuzz/media_probe_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MediaProbeFuzzerReplayTest, HostileInputs) {
    const std::vector<std::string> inputs{"",
                                          "{",
                                          "[]",
                                          "null",
                                          "{\"streams\":{}}",
                                          "{\"streams\":[1,2]}",
                                          "{\"streams\":[{\"codec_type\":7}]}",
                                          "{\"streams\":[],\"format\":{\"duration\":\"1e400\"}}",
                                          "{\"streams\":[],\"format\":{\"duration\":\"nan\"}}",
                                          "{\"streams\":[],\"format\":[]}",
                                          std::string(5000, '[') + std::string(5000, ']'),
                                          "{\"streams\":[{\"codec_type\":\"\xff\xfe\"}]}"};
    for (const auto& input : inputs) {
        EXPECT_EQ(mediaProbeFuzzerEntry(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), 0);
    }
}

}  // namespace
