#include "util/unicode_text.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(UnicodeText, DecodesAndEncodesUtf8) {
    EXPECT_EQ(decodeUTF8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::u32string{U'a', 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(encodeUTF8(U"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    // Stray, overlong, surrogate and truncated sequences each stand for U+FFFD.
    EXPECT_EQ(decodeUTF8("\x80"), U"\uFFFD");
    EXPECT_EQ(decodeUTF8("\xC0\xAF"), U"\uFFFD\uFFFD");
    EXPECT_EQ(decodeUTF8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(decodeUTF8("x\xE2\x82"), U"x\uFFFD\uFFFD");
}

TEST(UnicodeText, LowercasesBeyondAscii) {
    EXPECT_EQ(lowercased("ÉDITEUR Ünï ÆØÅ"), "éditeur ünï æøå");
    EXPECT_TRUE(isLetterOrDigit(U'ß'));
    EXPECT_TRUE(isLetterOrDigit(U'7'));
    EXPECT_FALSE(isLetterOrDigit(U'-'));
    EXPECT_FALSE(isLetterOrDigit(U' '));
}

TEST(UnicodeText, ContainsAndCompareIgnoringCase) {
    EXPECT_TRUE(containsIgnoringCase("com.Vendor.ÉDITOR.log", "vendor.éditor"));
    EXPECT_FALSE(containsIgnoringCase("editor", "editors"));
    EXPECT_FALSE(containsIgnoringCase("editor", ""));
    EXPECT_EQ(compareIgnoringCase("apple", "Banana") < 0, true);
    EXPECT_EQ(compareIgnoringCase("Zebra", "apple") > 0, true);
    EXPECT_EQ(compareIgnoringCase("ÉCOLE", "école"), 0);
}

}  // namespace
}  // namespace tidewell
