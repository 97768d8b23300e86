#include "cli/command_arguments.h"

#include <gtest/gtest.h>

namespace tidewell::cli {
namespace {

TEST(CommandArguments, SortsOperandsFlagsAndValues) {
    const auto arguments = parseCommandArguments({"a.pdf", "--json", "--output", "out", "--report", "--", "--b.pdf"},
                                                 {"--report"}, {"--output"});
    EXPECT_EQ(arguments.operands, (std::vector<std::string>{"a.pdf", "--b.pdf"}));
    EXPECT_TRUE(arguments.has("--json"));
    EXPECT_TRUE(arguments.has("--report"));
    EXPECT_FALSE(arguments.has("--help"));
    EXPECT_EQ(arguments.requiredValue("--output"), "out");
    EXPECT_EQ(parseCommandArguments({"--output=x y"}, {}, {"--output"}).value("--output"), "x y");
}

TEST(CommandArguments, RejectsWhatItCannotUse) {
    auto message = [](const std::vector<std::string>& words) {
        try {
            parseCommandArguments(words, {"--report"}, {"--output"}).requiredValue("--output");
        } catch (const UsageError& error) {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(message({"--verbose"}), "unknown option --verbose");
    EXPECT_EQ(message({"--report=1", "--output", "o"}), "unknown option --report=1");
    EXPECT_EQ(message({"--output"}), "--output needs a value");
    EXPECT_EQ(message({"--output="}), "missing --output");
    EXPECT_EQ(message({"a.zip"}), "missing --output");
}

}  // namespace
}  // namespace tidewell::cli
