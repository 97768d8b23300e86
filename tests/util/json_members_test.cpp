#include "util/json_members.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using nlohmann::json;

TEST(JsonMembers, MemberIsFoundOnlyInObjects) {
    const json object = {{"size", 3}};
    ASSERT_NE(jsonMember(object, "size"), nullptr);
    EXPECT_EQ(*jsonMember(object, "size"), 3);
    EXPECT_EQ(jsonMember(object, "name"), nullptr);
    EXPECT_EQ(jsonMember(json::array({1}), "size"), nullptr);
}

TEST(JsonMembers, Int64RefusesOverflowAndOtherTypes) {
    EXPECT_EQ(jsonInt64(json(-5)), -5);
    EXPECT_EQ(jsonInt64(json(9223372036854775807ULL)), INT64_MAX);
    EXPECT_EQ(jsonInt64(json(9223372036854775808ULL)), std::nullopt);
    EXPECT_EQ(jsonInt64(json(1.5)), std::nullopt);
    EXPECT_EQ(jsonInt64(json("7")), std::nullopt);
}

}  // namespace
}  // namespace tidewell
