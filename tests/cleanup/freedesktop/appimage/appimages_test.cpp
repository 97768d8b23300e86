#include "cleanup/freedesktop/appimage/appimages.h"

#include <gtest/gtest.h>

#include <string>

namespace tidewell::Freedesktop {
namespace {

std::string header(const std::string& magic) {
    std::string bytes = std::string(
                            "\x7f"
                            "ELF\x02\x01\x01\x00",
                            8) +
                        magic;
    bytes.resize(16, '\0');
    return bytes;
}

TEST(AppImagesTest, RecognisesBothImageTypes) {
    EXPECT_TRUE(isAppImageHeader(header(std::string("AI\x02", 3))));
    EXPECT_TRUE(isAppImageHeader(header(std::string("AI\x01", 3))));
    EXPECT_FALSE(isAppImageHeader(header(std::string("AI\x03", 3))));
    EXPECT_FALSE(isAppImageHeader(header(std::string("\0\0\0", 3))));
    EXPECT_FALSE(
        isAppImageHeader(std::string("MZ\x90\x00\x03\x00\x00\x00"
                                     "AI\x02",
                                     11)));
    EXPECT_FALSE(isAppImageHeader(header(std::string("AI\x02", 3)).substr(0, 10)));
}

}  // namespace
}  // namespace tidewell::Freedesktop
