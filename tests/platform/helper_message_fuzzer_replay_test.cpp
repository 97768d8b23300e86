// Replays hostile inputs through the fuzz target's own entry function.
#include "../../fuzz/helper_message_fuzzer.cpp"

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

int replay(const HelperBytes& bytes) {
    return LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

HelperBytes validRequest() {
    return encodeHelperFrame(
        encodeHelperObject(HelperOperation::readRawBytes, TWHelperRawReadRequest{"sdz1", 512, 4096}));
}

TEST(HelperMessageFuzzerReplay, SurvivesHostileFrames) {
    EXPECT_EQ(replay({}), 0);
    EXPECT_EQ(replay({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0);
    EXPECT_EQ(replay({0x04, 0, 0, 0, 0, 0, 0, 0, 'T', 'W', 'H', 'A'}), 0);
    HelperBytes frame = validRequest();
    EXPECT_EQ(replay(frame), 0);
    for (std::size_t i = 0; i < frame.size(); ++i) {
        HelperBytes flipped = frame;
        flipped[i] ^= 0xFF;
        EXPECT_EQ(replay(flipped), 0) << i;
        EXPECT_EQ(replay(HelperBytes(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(i))), 0) << i;
    }
    HelperBytes result = encodeHelperFrame(encodeHelperObject("op", TWHelperRawReadResult{HelperBytes(300, 7)}));
    EXPECT_EQ(replay(result), 0);
}

}  // namespace
}  // namespace tidewell::platform
