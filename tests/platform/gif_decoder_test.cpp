#include <gtest/gtest.h>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace tidewell::platform {
namespace {

using testing::makeTestImage;

TEST(GifDecoder, AcceptsWellFormedImagesAndReportsTheirSize) {
    auto gif = makeTestImage("pattern.gif", "20x12");
    ASSERT_FALSE(gif.empty());
    EXPECT_EQ(decodeGif(gif), (ImageDimensions{20, 12}));
    EXPECT_EQ(decodeImage(gif), (ImageDimensions{20, 12}));
}

TEST(GifDecoder, RejectsTruncatedData) {
    auto gif = makeTestImage("pattern.gif", "64x64");
    ASSERT_FALSE(gif.empty());
    EXPECT_EQ(decodeGif(testing::truncated(gif, gif.size() / 2)), std::nullopt);
    EXPECT_EQ(decodeGif(testing::truncated(gif, 13)), std::nullopt);  // header and screen only
    EXPECT_EQ(decodeGif({}), std::nullopt);
}

TEST(GifDecoder, RejectsCorruptData) {
    auto gif = makeTestImage("pattern.gif", "64x64");
    ASSERT_FALSE(gif.empty());
    EXPECT_EQ(decodeGif(testing::withFlippedBits(gif, 2, 0xFF)), std::nullopt);  // signature
    std::vector<std::uint8_t> noFrames(gif.begin(), gif.begin() + 13);
    noFrames.push_back(0x3B);  // trailer straight after the screen descriptor
    EXPECT_EQ(decodeGif(noFrames), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform
