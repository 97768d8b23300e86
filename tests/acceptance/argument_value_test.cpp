#include "acceptance/argument_value.h"

#include <gtest/gtest.h>

namespace tidewell::acceptance {
namespace {

using Arguments = std::vector<std::string>;

TEST(ArgumentValue, TakesTheElementAfterTheFirstWholeMatch) {
    Arguments arguments{"tidewell", "--image", "first.img", "--image", "second.img"};
    EXPECT_EQ(argumentValue("--image", arguments), "first.img");
}

TEST(ArgumentValue, TakesTheNextElementEvenWhenItIsAnOption) {
    Arguments arguments{"tidewell", "--image", "--destination", "out"};
    EXPECT_EQ(argumentValue("--image", arguments), "--destination");
}

TEST(ArgumentValue, IsNoneWhenAbsentLastOrOnlyAPrefixMatch) {
    EXPECT_EQ(argumentValue("--image", Arguments{"tidewell"}), std::nullopt);
    EXPECT_EQ(argumentValue("--image", Arguments{"tidewell", "--image"}), std::nullopt);
    EXPECT_EQ(argumentValue("--image", Arguments{"tidewell", "--image=card.img", "x"}), std::nullopt);
    EXPECT_EQ(argumentValue("--image", Arguments{"tidewell", "--IMAGE", "x"}), std::nullopt);
}

TEST(ArgumentValue, HasArgumentComparesWholeElements) {
    EXPECT_TRUE(hasArgument("--recovery-qa", Arguments{"tidewell", "--recovery-qa"}));
    EXPECT_FALSE(hasArgument("--recovery-qa", Arguments{"tidewell", "--recovery-qa=1"}));
}

TEST(ArgumentValue, IntegerArgumentTakesOnlyAWholeBase10Number) {
    auto integer = [](const std::string& value) {
        return integerArgument("--max-export", Arguments{"tidewell", "--max-export", value});
    };
    EXPECT_EQ(integerArgument("--max-export", Arguments{"tidewell"}), std::nullopt);
    EXPECT_EQ(integer("12"), 12);
    EXPECT_EQ(integer("+4"), 4);
    EXPECT_EQ(integer("-5"), -5);
    EXPECT_EQ(integer("+-5"), -5);
    for (const char* bad : {"", "+", "++4", "3x", " 3", "0x10", "99999999999999999999"})
        EXPECT_EQ(integer(bad), std::nullopt) << bad;
}

}  // namespace
}  // namespace tidewell::acceptance
