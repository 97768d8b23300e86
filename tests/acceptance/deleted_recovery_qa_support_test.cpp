#include <gtest/gtest.h>

#include "acceptance/deleted_recovery_qa_support.h"

namespace tidewell {
namespace {

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(DeletedRecoveryQASupport, SignatureMatchesUsesEachNamesOwnTest) {
    using DeletedRecoveryQAAcceptance::signatureMatches;
    EXPECT_TRUE(signatureMatches("JPEG", bytes("\xFF\xD8\xFF")));
    EXPECT_FALSE(signatureMatches("JPEG", bytes("\xFF\xD8")));
    EXPECT_FALSE(signatureMatches("PNG", bytes("\xFF\xD8\xFF\xE0")));
    EXPECT_TRUE(signatureMatches("ZIP", bytes("PK\x03\x04rest")));
    EXPECT_TRUE(signatureMatches("ISO media", bytes("....ftyp")));
    EXPECT_FALSE(signatureMatches("ISO media", bytes("....fty")));
    EXPECT_TRUE(signatureMatches("RIFF", bytes("RIFF....WAVE")));
    EXPECT_TRUE(signatureMatches(std::nullopt, bytes("x")));
    EXPECT_FALSE(signatureMatches(std::nullopt, {}));
    EXPECT_TRUE(signatureMatches("TIFF", bytes("anything")));
}

TEST(DeletedRecoveryQASupport, CountOptionsAreAtLeastOne) {
    auto count = [](std::vector<std::string> values) {
        values.insert(values.begin(), {"tidewell", "--max-export"});
        return acceptance::countOption("--max-export", values);
    };
    EXPECT_EQ(acceptance::countOption("--max-export", {"tidewell"}), 1);
    EXPECT_EQ(count({"3"}), 3);
    EXPECT_EQ(count({"+4"}), 4);
    EXPECT_EQ(count({"0"}), 1);
    EXPECT_EQ(count({"-5"}), 1);
    EXPECT_EQ(count({"3x"}), 1);
    EXPECT_EQ(count({""}), 1);
    EXPECT_EQ(count({"99999999999999999999"}), 1);
}

}  // namespace
}  // namespace tidewell
