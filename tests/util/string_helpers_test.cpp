#include "util/string_helpers.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(StringHelpers, LooksLikeUUID) {
    EXPECT_TRUE(tidewellLooksLikeUUID("0A1b2C3d-4E5f-6789-ABCD-ef0123456789"));
    EXPECT_TRUE(tidewellLooksLikeUUID("0a1b2c3d4e5f6789abcdef0123456789"));
    EXPECT_FALSE(tidewellLooksLikeUUID(""));
    EXPECT_FALSE(tidewellLooksLikeUUID("0A1b2C3d-4E5f-6789-ABCD-ef012345678"));
    EXPECT_FALSE(tidewellLooksLikeUUID("0A1b2C3d-4E5f-6789-ABCD-ef01234567890"));
    EXPECT_FALSE(tidewellLooksLikeUUID("0A1b2C3d4-E5f-6789-ABCD-ef0123456789"));
    EXPECT_FALSE(tidewellLooksLikeUUID("0A1b2C3d-4E5f-6789-ABCD-ef012345678g"));
    EXPECT_FALSE(tidewellLooksLikeUUID("0a1b2c3d4e5f6789abcdef012345678"));
    EXPECT_FALSE(tidewellLooksLikeUUID("com.example.app"));
}

TEST(StringHelpers, IsHyphenatedUUID) {
    EXPECT_TRUE(tidewellIsHyphenatedUUID("0A1b2C3d-4E5f-6789-ABCD-ef0123456789"));
    EXPECT_FALSE(tidewellIsHyphenatedUUID("0a1b2c3d4e5f6789abcdef0123456789"));
    EXPECT_FALSE(tidewellIsHyphenatedUUID("0A1b2C3d4-E5f-6789-ABCD-ef0123456789"));
    EXPECT_FALSE(tidewellIsHyphenatedUUID(""));
}

TEST(StringHelpers, DisplayName) {
    EXPECT_EQ(tidewellDisplayName("my-cool_app"), "My Cool App");
    EXPECT_EQ(tidewellDisplayName("--MY__COOL--"), "My Cool");
    EXPECT_EQ(tidewellDisplayName("photos"), "Photos");
    EXPECT_EQ(tidewellDisplayName("x"), "X");
    EXPECT_EQ(tidewellDisplayName("com.example.app"), "Com.example.app");
    EXPECT_EQ(tidewellDisplayName(""), "");
    EXPECT_EQ(tidewellDisplayName("-_-"), "");
}

}  // namespace
}  // namespace tidewell
