#include <gtest/gtest.h>

#include "platform/image_decoder.h"
#include "platform/image_fixtures.h"

namespace tidewell::platform {
namespace {

using testing::makeTestImage;

TEST(PngDecoder, AcceptsWellFormedImagesAndReportsTheirSize) {
    auto png = makeTestImage("pattern.png", "33x17");
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(decodePng(png), (ImageDimensions{33, 17}));
    EXPECT_EQ(decodeImage(png), (ImageDimensions{33, 17}));
}

TEST(PngDecoder, RejectsTruncatedDataIncludingAMissingEndChunk) {
    auto png = makeTestImage("pattern.png", "64x64");
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(decodePng(testing::truncated(png, png.size() - 12)), std::nullopt);  // no IEND
    EXPECT_EQ(decodePng(testing::truncated(png, png.size() / 2)), std::nullopt);
    EXPECT_EQ(decodePng(testing::truncated(png, 8)), std::nullopt);
    EXPECT_EQ(decodePng({}), std::nullopt);
}

TEST(PngDecoder, RejectsAnyFlippedBitThroughTheChunkChecksums) {
    auto png = makeTestImage("pattern.png", "64x64");
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(decodePng(testing::withFlippedBits(png, 20, 0x01)), std::nullopt);  // header width
    EXPECT_EQ(decodePng(testing::withFlippedBits(png, png.size() / 2, 0x10)), std::nullopt);
    EXPECT_EQ(decodePng(testing::withFlippedBits(png, png.size() - 5, 0x80)), std::nullopt);  // end chunk CRC
}

}  // namespace
}  // namespace tidewell::platform
