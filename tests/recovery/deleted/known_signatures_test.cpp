#include <gtest/gtest.h>

#include "recovery/deleted/known_signatures.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(KnownSignatures, RecognisesEachTableEntryWithItsMinimumLength) {
    EXPECT_EQ(knownSignature(bytes("\xFF\xD8\xFF")), "JPEG");
    EXPECT_EQ(knownSignature(bytes("\xFF\xD8")), std::nullopt);
    EXPECT_EQ(knownSignature(bytes("\x89PNG\r\n\x1A\n")), "PNG");
    EXPECT_EQ(knownSignature(bytes("GIF87a")), "GIF");
    EXPECT_EQ(knownSignature(bytes("GIF89a")), "GIF");
    EXPECT_EQ(knownSignature(bytes("%PDF")), "PDF");
    EXPECT_EQ(knownSignature(bytes("PK\x03\x04")), "ZIP");
    EXPECT_EQ(knownSignature(bytes("Rar!\x1A\x07")), std::nullopt);  // needs a seventh byte
    EXPECT_EQ(knownSignature(bytes("Rar!\x1A\x07\x01")), "RAR");
    EXPECT_EQ(knownSignature(bytes("....ftypisom")), "ISO media");
    EXPECT_EQ(knownSignature(bytes("....ftypiso")), std::nullopt);
    EXPECT_EQ(knownSignature(bytes("ID3")), "MP3");
    EXPECT_EQ(knownSignature(bytes("RIFF")), "RIFF");
    EXPECT_EQ(knownSignature({}), std::nullopt);
    EXPECT_EQ(knownSignature(bytes("hello world")), std::nullopt);
}

TEST(KnownSignatures, MapsSignaturesToExtensionsAndMatchesNames) {
    EXPECT_EQ(signatureExtension("ISO media"), "mp4");
    EXPECT_EQ(signatureExtension("RIFF"), "wav");
    EXPECT_EQ(signatureExtension(std::nullopt), std::nullopt);
    EXPECT_EQ(signatureExtension("TIFF"), std::nullopt);
    EXPECT_TRUE(extensionMatchesSignature("_MG_0001.JPG", "JPEG"));
    EXPECT_FALSE(extensionMatchesSignature("_MG_0001.jpeg", "JPEG"));
    EXPECT_TRUE(extensionMatchesSignature("clip.MOV", "ISO media"));
    EXPECT_TRUE(extensionMatchesSignature("movie.avi", "RIFF"));
    EXPECT_TRUE(extensionMatchesSignature("letter.docx", "ZIP"));
    EXPECT_FALSE(extensionMatchesSignature("_CAN", "PDF"));
    EXPECT_FALSE(extensionMatchesSignature("a.txt", std::nullopt));
}

TEST(KnownSignatures, ValidatesOnlyWholeImages) {
    EXPECT_FALSE(validatesContent("PDF", bytes("%PDF-1.4"), true));
    EXPECT_FALSE(validatesContent("JPEG", bytes("\xFF\xD8\xFF\xE0 broken"), true));
    EXPECT_FALSE(validatesContent(std::nullopt, bytes("x"), true));
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
