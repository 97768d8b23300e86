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

}  // namespace
}  // namespace tidewell::acceptance
