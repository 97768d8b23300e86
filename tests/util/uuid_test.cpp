#include "util/uuid.h"

#include <gtest/gtest.h>

#include <set>

#include "util/string_helpers.h"

namespace tidewell {
namespace {

TEST(UUID, CanonicalUpperCaseVersion4) {
    std::set<std::string> seen;
    for (int index = 0; index < 64; ++index) {
        const std::string text = makeUUIDString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_TRUE(tidewellLooksLikeUUID(text)) << text;
        EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos) << text;
        EXPECT_EQ(text[14], '4') << text;
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 64u);
}

}  // namespace
}  // namespace tidewell
