#include <gtest/gtest.h>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace tidewell::platform {
namespace {

using testing::makeTestImage;

TEST(JpegDecoder, AcceptsWellFormedImagesAndReportsTheirSize) {
    auto jpeg = makeTestImage("pattern.jpg", "40x24");
    ASSERT_FALSE(jpeg.empty());
    EXPECT_EQ(decodeJpeg(jpeg), (ImageDimensions{40, 24}));
    EXPECT_EQ(decodeImage(jpeg), (ImageDimensions{40, 24}));
}

TEST(JpegDecoder, RejectsTruncatedData) {
    auto jpeg = makeTestImage("pattern.jpg", "64x64");
    ASSERT_FALSE(jpeg.empty());
    EXPECT_EQ(decodeJpeg(testing::truncated(jpeg, jpeg.size() - 2)), std::nullopt);  // end marker lost
    EXPECT_EQ(decodeJpeg(testing::truncated(jpeg, jpeg.size() / 2)), std::nullopt);
    EXPECT_EQ(decodeJpeg(testing::truncated(jpeg, 3)), std::nullopt);
    EXPECT_EQ(decodeJpeg({}), std::nullopt);
}

TEST(JpegDecoder, RejectsCorruptData) {
    auto jpeg = makeTestImage("pattern.jpg", "64x64");
    ASSERT_FALSE(jpeg.empty());
    // The second marker byte turned into garbage, and a marker planted in the entropy-coded data.
    EXPECT_EQ(decodeJpeg(testing::withFlippedBits(jpeg, 3, 0xFF)), std::nullopt);
    auto planted = jpeg;
    planted.at(planted.size() - 40) = 0xFF;
    planted.at(planted.size() - 39) = 0xD9;
    EXPECT_EQ(decodeJpeg(planted), std::nullopt);
    std::vector<std::uint8_t> garbage(512, 0x5A);
    garbage[0] = 0xFF, garbage[1] = 0xD8, garbage[2] = 0xFF;
    EXPECT_EQ(decodeJpeg(garbage), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform
