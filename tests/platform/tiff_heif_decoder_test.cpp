#include <libheif/heif.h>

#include <gtest/gtest.h>
#include <cstring>

#include "platform/image_decoder.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> truncated(const std::vector<std::uint8_t>& bytes, std::size_t keep) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep)};
}

heif_error appendBytes(heif_context*, const void* data, size_t size, void* userData) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(userData);
    out->insert(out->end(), static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

// A gradient encoded by libheif's HEVC encoder; empty when no encoder is available.
std::vector<std::uint8_t> encodeHeic(int width, int height) {
    std::vector<std::uint8_t> output;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
            heif_error_Ok) {
        heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
        int stride = 0;
        std::uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width * 3; ++x) pixels[y * stride + x] = static_cast<std::uint8_t>((x + y) * 3);
        }
        heif_writer writer{1, appendBytes};
        if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code == heif_error_Ok) {
            heif_context_write(context, &writer, &output);
        }
    }
    if (image) heif_image_release(image);
    if (encoder) heif_encoder_release(encoder);
    heif_context_free(context);
    return output;
}

TEST(TiffDecoderTest, DecodesIntactAndRejectsDamage) {
    testing::TemporaryFolder folder;
    const auto path = folder / "frame.tiff";
    ASSERT_EQ(testing::runTool("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                                          "testsrc=size=40x30", "-frames:v", "1", path.string()}),
              0);
    const auto bytes = bytesOf(testing::readFile(path));
    EXPECT_EQ(sniffImageFormat(bytes), ImageFormat::tiff);
    EXPECT_EQ(decodeTiff(bytes), (ImageDimensions{40, 30}));
    EXPECT_EQ(decodeImage(bytes), (ImageDimensions{40, 30}));
    EXPECT_EQ(decodeTiff(truncated(bytes, bytes.size() / 2)), std::nullopt);
    EXPECT_EQ(decodeTiff(truncated(bytes, 8)), std::nullopt);
    EXPECT_EQ(decodeTiff({}), std::nullopt);
}

TEST(HeifDecoderTest, DecodesIntactAndRejectsDamage) {
    const auto bytes = encodeHeic(64, 48);
    if (bytes.empty()) GTEST_SKIP() << "libheif has no HEVC encoder here";
    EXPECT_EQ(sniffImageFormat(bytes), ImageFormat::heif);
    EXPECT_EQ(decodeHeif(bytes), (ImageDimensions{64, 48}));
    EXPECT_EQ(decodeImage(bytes), (ImageDimensions{64, 48}));
    EXPECT_EQ(decodeHeif(truncated(bytes, bytes.size() - 40)), std::nullopt);
    EXPECT_EQ(decodeHeif(truncated(bytes, 100)), std::nullopt);
    EXPECT_EQ(decodeHeif({}), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform
