// Replays hostile inputs through the atom walker's fuzz entry.
#define LLVMFuzzerTestOneInput mediaAtomFuzzerEntry
#include "../../fuzz/media_atom_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int replay(const std::string& bytes) {
    return mediaAtomFuzzerEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(MediaAtomFuzzerReplayTest, HostileInputs) {
    const std::vector<std::string> inputs{
        "",
        std::string("\0\0\0\x01mdat", 8),                                   // 64-bit size without its field
        std::string("\0\0\0\x01mdat\xff\xff\xff\xff\xff\xff\xff\xff", 16),  // 64-bit size wrapping around
        std::string("\0\0\0\x01mdat\0\0\0\0\0\0\0\x0f", 16),                // smaller than its header
        std::string("\0\0\0\x00free", 8),                                   // runs to the end
        std::string("\xff\xff\xff\xff\x80\x81\x82\x83", 8),                 // huge, not ASCII
        std::string(2000, '\0'),                                            // size 0 at once
        std::string("\0\0\0\x08"
                    "free",
                    8) +
            std::string("\0\0\0\x07", 4),  // trailing scrap
    };
    for (const auto& input : inputs) EXPECT_EQ(replay(input), 0);
    std::string many;
    for (int i = 0; i < 200; ++i) many += std::string("\0\0\0\x08skip", 8);
    EXPECT_EQ(replay(many), 0);
}

}  // namespace
