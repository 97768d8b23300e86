#include "firstaid/tool_output.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using FileFirstAidEngine::commandTimeout;
using FileFirstAidEngine::shorten;

TEST(CommandTimeoutTest, GrowsWithTheInputBetweenThreeMinutesAndAnHour) {
    testing::TemporaryFolder folder;
    auto sparseFile = [&](const std::string& name, std::uintmax_t size) {
        testing::writeFile(folder / name, "");
        std::filesystem::resize_file(folder / name, size);
        return folder / name;
    };
    EXPECT_EQ(commandTimeout(sparseFile("empty", 0)), 180);
    EXPECT_EQ(commandTimeout(sparseFile("one-gib", 1ull << 30)), 1716);
    EXPECT_EQ(commandTimeout(sparseFile("four-gib", 4ull << 30)), 3600);
    EXPECT_EQ(commandTimeout(folder / "missing"), 180);
}

TEST(ShortenTest, KeepsTheTrimmedEndOfTheOutput) {
    EXPECT_EQ(shorten(" \n\t ", "No details."), "No details.");
    EXPECT_EQ(shorten("\n  error: bad header \r\n", "No details."), "error: bad header");

    std::string message;
    for (int i = 0; i < 1000; ++i) message += static_cast<char>('a' + i % 26);
    EXPECT_EQ(shorten(message, ""), message.substr(580));

    // Characters, not bytes: a multi-byte character is kept whole.
    std::string accented;
    for (int i = 0; i < 500; ++i) accented += "\xC3\xA9";
    EXPECT_EQ(shorten(accented, ""), accented.substr(160));
}

}  // namespace
}  // namespace tidewell
