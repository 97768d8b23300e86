#include "platform/helper_protocol_archive.h"

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

HelperArchive sample() {
    return HelperArchive{"readRawBytes",
                         "TWHelperRawReadResult",
                         {{"data", HelperBytes{9, 8, 7}},
                          {"text", std::string("a b")},
                          {"wide", std::int64_t{-2}},
                          {"narrow", std::int32_t{-3}},
                          {"flag", true}}};
}

HelperBytes prefix(std::uint32_t header, std::uint32_t bulk) {
    HelperBytes out;
    for (std::uint32_t value : {header, bulk})
        for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
    return out;
}

TEST(HelperArchiveFrame, RoundTripsEveryValueTypeWithTheBulkAfterTheHeader) {
    auto frame = encodeHelperFrame(sample());
    EXPECT_EQ(decodeHelperFrame(frame), sample());
    EXPECT_EQ(HelperBytes(frame.end() - 3, frame.end()), (HelperBytes{9, 8, 7}));
    auto lengths = decodeHelperFramePrefix(std::span(frame).first(8));
    ASSERT_TRUE(lengths);
    EXPECT_EQ(lengths->bulk, 3u);
    EXPECT_EQ(lengths->header + lengths->bulk + 8, frame.size());
}

TEST(HelperArchiveFrame, DeclaredLengthsAboveTheLimitsAreRejectedFromThePrefix) {
    EXPECT_FALSE(decodeHelperFramePrefix(prefix(0, 0)));
    EXPECT_FALSE(decodeHelperFramePrefix(prefix(HelperArchiveLimits::maxHeaderLength + 1, 0)));
    EXPECT_FALSE(decodeHelperFramePrefix(prefix(16, HelperArchiveLimits::maxDataLength + 1)));
    EXPECT_FALSE(decodeHelperFramePrefix(prefix(0xFFFFFFFFu, 0xFFFFFFFFu)));
    EXPECT_TRUE(decodeHelperFramePrefix(prefix(16, HelperArchiveLimits::maxDataLength)));
}

TEST(HelperArchiveFrame, EveryTruncationAndAnyTrailingByteIsRejected) {
    auto frame = encodeHelperFrame(sample());
    for (std::size_t size = 0; size < frame.size(); ++size)
        EXPECT_FALSE(decodeHelperFrame(std::span(frame).first(size))) << size;
    frame.push_back(0);
    EXPECT_FALSE(decodeHelperFrame(frame));
}

TEST(HelperArchiveFrame, MalformedHeadersAreRejected) {
    auto frame = encodeHelperFrame(HelperArchive{"op", "Cls", {{"k", true}}});
    auto damaged = frame;
    damaged[8] = 'X';  // magic
    EXPECT_FALSE(decodeHelperFrame(damaged));
    damaged = frame;
    damaged.back() = 2;  // a Boolean other than 0 or 1
    EXPECT_FALSE(decodeHelperFrame(damaged));
    damaged = frame;
    damaged[damaged.size() - 2] = 99;  // unknown value type
    EXPECT_FALSE(decodeHelperFrame(damaged));
    // Bulk without a data entry to own it.
    HelperBytes header(frame.begin() + 8, frame.end());
    EXPECT_FALSE(decodeHelperArchive(header, HelperBytes{1}));
}

TEST(HelperArchiveFrame, DuplicateKeysAndASecondDataValueAreRejected) {
    auto frame = encodeHelperFrame(HelperArchive{"op", "Cls", {{"a", true}, {"b", true}}});
    auto duplicate = frame;
    // Rename key "b" to "a": the entries are "a" then "b", each u8 1 + key + type + value.
    auto position = std::find(duplicate.begin() + 8 + 4, duplicate.end(), 'b');
    *position = 'a';
    EXPECT_FALSE(decodeHelperFrame(duplicate));
    HelperArchive twoData{"op", "Cls", {{"a", HelperBytes{1}}, {"b", HelperBytes{2}}}};
    EXPECT_THROW(encodeHelperFrame(twoData), std::length_error);
}

TEST(HelperArchiveFrame, EncodingRefusesWhatTheDecoderWouldRefuse) {
    EXPECT_THROW(encodeHelperFrame(HelperArchive{"", "Cls", {}}), std::length_error);
    EXPECT_THROW(encodeHelperFrame(HelperArchive{"op", std::string(65, 'c'), {}}), std::length_error);
    HelperArchive longText{"op", "Cls", {{"t", std::string(HelperArchiveLimits::maxStringLength + 1, 'x')}}};
    EXPECT_THROW(encodeHelperFrame(longText), std::length_error);
}

}  // namespace
}  // namespace tidewell::platform
