#include "recovery/deleted/device_imaging.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>

#include "support/temporary_folder.h"
#include "support/thrown_message.h"

namespace tidewell::DeviceImaging {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

// A source in memory whose reads fail when they touch a chosen bad range, and
// that may stop answering altogether; it records every read.
class FlakyReader : public RawReader {
public:
    explicit FlakyReader(std::int64_t size) : bytes_(static_cast<std::size_t>(size)) {
        std::uint32_t state = 12345;
        for (auto& byte : bytes_) byte = static_cast<std::uint8_t>((state = state * 1103515245 + 12345) >> 24);
    }

    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override {
        std::lock_guard lock(mutex_);
        reads_.push_back({offset, static_cast<std::int64_t>(length), RangeStatus::copied});
        const std::int64_t end = offset + static_cast<std::int64_t>(length);
        if (gone_) throw std::runtime_error("The privileged recovery reader could not be reached.");
        for (const auto& [start, badLength] : bad_)
            if (offset < start + badLength && start < end) throw std::runtime_error("Input/output error");
        if (end > static_cast<std::int64_t>(bytes_.size())) throw std::runtime_error("past the end");
        return {bytes_.begin() + offset, bytes_.begin() + end};
    }

    void addBadRange(std::int64_t start, std::int64_t length) { bad_.emplace_back(start, length); }
    void setGone(bool gone) { gone_ = gone; }
    std::vector<MapRange> takeReads() {
        std::lock_guard lock(mutex_);
        return std::exchange(reads_, {});
    }
    // The source with zeros in the given ranges: what an image of it must hold.
    std::string imageWithZerosIn(const std::vector<MapRange>& ranges) const {
        std::string expected(bytes_.begin(), bytes_.end());
        for (const MapRange& range : ranges) std::fill_n(expected.begin() + range.start, range.length, '\0');
        return expected;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<std::pair<std::int64_t, std::int64_t>> bad_;
    bool gone_ = false;
    mutable std::mutex mutex_;
    mutable std::vector<MapRange> reads_;
};

constexpr std::int64_t MiB = 1 << 20;

class DeviceImagingTest : public ::testing::Test {
protected:
    Source sourceOf(const FlakyReader& reader, std::int64_t size) const {
        return {&reader, "CARD", size, 512, {folder / "mounted"}, std::nullopt};
    }
    std::string mapText() const { return testing::readFile(mapPath(image)); }

    TemporaryFolder folder;
    fs::path image = folder / "card.img";
};

TEST_F(DeviceImagingTest, ACleanSourceIsCopiedByteForByteWithAMapOfOneCopiedRange) {
    const std::int64_t size = 9 * MiB + 1536;  // not a whole number of large blocks
    FlakyReader reader(size);
    const Result result = makeImage(sourceOf(reader, size), image, false);
    EXPECT_TRUE(result.isComplete());
    EXPECT_EQ(result.copiedBytes, size);
    EXPECT_EQ(testing::readFile(image), reader.imageWithZerosIn({}));
    EXPECT_EQ(mapText(),
              "# Tidewell disk image map\n# source: CARD\n# size: 9438720\n# sector: 512\n"
              "0 9438720 copied\n");
}

TEST_F(DeviceImagingTest, FailedRangesAreReadAgainInSmallerBlocksAndOnlyBadSectorsAreZeros) {
    const std::int64_t size = 12 * MiB + 1024;
    FlakyReader reader(size);
    reader.addBadRange(5 * MiB + 1000, 3000);  // sectors 5 MiB + 512 ... 5 MiB + 4096
    reader.addBadRange(9 * MiB, 4096);
    reader.addBadRange(size - 10, 1);  // in the last sector
    std::vector<std::pair<double, std::string>> reports;
    const Result result =
        makeImage(sourceOf(reader, size), image, false, nullptr,
                  [&](double fraction, const std::string& line) { reports.emplace_back(fraction, line); });

    const std::vector<MapRange> bad{{5 * MiB + 512, 3584, RangeStatus::unreadable},
                                    {9 * MiB, 4096, RangeStatus::unreadable},
                                    {size - 512, 512, RangeStatus::unreadable}};
    EXPECT_EQ(result.unreadable, bad);
    EXPECT_EQ(result.copiedBytes, size - 3584 - 4096 - 512);
    EXPECT_EQ(testing::readFile(image), reader.imageWithZerosIn(bad));
    EXPECT_EQ(mapText(),
              "# Tidewell disk image map\n# source: CARD\n# size: 12583936\n# sector: 512\n"
              "0 5243392 copied\n5243392 3584 unreadable\n5246976 4190208 copied\n"
              "9437184 4096 unreadable\n9441280 3142144 copied\n12583424 512 unreadable\n");
    // Reads below 64 KiB happen only inside the 64 KiB blocks that hold a bad byte, and
    // sector reads only inside such 4 KiB blocks.
    for (const MapRange& read : reader.takeReads()) {
        if (read.start == 0 && read.length == 512) continue;  // whether the source still answers
        const auto inside = [&](std::int64_t block) {
            for (const MapRange& range : bad)
                if (read.start / block == range.start / block || read.start / block == (range.end() - 1) / block)
                    return true;
            return false;
        };
        if (read.length < 64 * 1024) {
            EXPECT_TRUE(inside(64 * 1024)) << read.start << " " << read.length;
        }
        if (read.length < 4096) {
            EXPECT_TRUE(inside(4096)) << read.start << " " << read.length;
        }
    }
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().first, 1.0);
    EXPECT_THAT(reports.back().second, ::testing::StartsWith("Imaged 12.6 MB of 12.6 MB · "));
}

TEST_F(DeviceImagingTest, ACancelledRunResumesFromItsMapWithoutReadingCopiedRangesAgain) {
    const std::int64_t size = 24 * MiB;
    FlakyReader reader(size);
    reader.addBadRange(2 * MiB, 512);
    RecoveryCancellationToken token;
    const auto cancelLate = [&](double fraction, const std::string&) {
        if (fraction >= 0.4) token.cancel();
    };
    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, size), image, false, &token, cancelLate); }),
              "Disk imaging cancelled.");
    const auto saved = ImageMap::parse(mapText());
    ASSERT_TRUE(saved.has_value());
    const std::vector<MapRange> copied = saved->rangesWith(RangeStatus::copied);
    EXPECT_GT(saved->bytesWith(RangeStatus::copied), 0);
    EXPECT_GT(saved->bytesWith(RangeStatus::pending), 0);
    reader.takeReads();

    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, size), image, false); }),
              image.string() + " already has a map; resume its imaging or choose a new name.");
    const Result resumed = makeImage(sourceOf(reader, size), image, true);
    for (const MapRange& read : reader.takeReads())
        for (const MapRange& done : copied)
            EXPECT_FALSE(read.start < done.end() && done.start < read.end()) << read.start << " " << read.length;
    EXPECT_EQ(resumed.unreadable, (std::vector<MapRange>{{2 * MiB, 512, RangeStatus::unreadable}}));

    const fs::path whole = folder / "whole.img";
    makeImage(sourceOf(reader, size), whole, false);
    EXPECT_EQ(testing::readFile(image), testing::readFile(whole));
    EXPECT_EQ(mapText(), testing::readFile(mapPath(whole)));
}

TEST_F(DeviceImagingTest, ASourceThatStopsAnsweringEndsTheRunResumably) {
    const std::int64_t size = 16 * MiB;
    FlakyReader reader(size);
    const auto unplugHalfway = [&](double fraction, const std::string&) {
        if (fraction >= 0.5) reader.setGone(true);
    };
    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, size), image, false, nullptr, unplugHalfway); }),
              "Tidewell stopped reading CARD: The privileged recovery reader could not be reached.");
    const auto saved = ImageMap::parse(mapText());
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->bytesWith(RangeStatus::unreadable), 0);
    EXPECT_EQ(saved->bytesWith(RangeStatus::copied) + saved->bytesWith(RangeStatus::pending), size);

    reader.setGone(false);
    EXPECT_TRUE(makeImage(sourceOf(reader, size), image, true).isComplete());
    EXPECT_EQ(testing::readFile(image), reader.imageWithZerosIn({}));
}

TEST_F(DeviceImagingTest, ASourceThatNeverAnswersIsAnErrorNotAnImageOfZeros) {
    FlakyReader reader(64 * MiB);
    reader.setGone(true);
    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, 64 * MiB), image, false); }),
              "Tidewell stopped reading CARD: The privileged recovery reader could not be reached.");
    EXPECT_EQ(reader.takeReads().size(), std::size_t(Limits::failuresBeforeAnyRead));
}

TEST_F(DeviceImagingTest, DestinationsOnTheSourceExistingImagesAndTooLittleSpaceAreRefused) {
    FlakyReader reader(MiB);
    fs::create_directories(folder / "mounted" / "DCIM");
    EXPECT_EQ(
        testing::thrownMessage([&] { makeImage(sourceOf(reader, MiB), folder / "mounted/DCIM/card.img", false); }),
        "Choose a place outside CARD for the image, because Tidewell never writes to the source.");
    EXPECT_FALSE(fs::exists(folder / "mounted/DCIM/card.img"));

    testing::writeFile(image, "an earlier file");
    for (bool resume : {false, true})
        EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, MiB), image, resume); }),
                  image.string() + " already exists without its map, so Tidewell will not write over it.");
    EXPECT_EQ(testing::readFile(image), "an earlier file");

    const fs::path huge = folder / "huge.img";
    EXPECT_THAT(testing::thrownMessage([&] { makeImage(sourceOf(reader, std::int64_t{1} << 60), huge, false); }),
                ::testing::AllOf(::testing::StartsWith(folder.path().string() + " has "),
                                 ::testing::EndsWith(" free, but the image needs 1,152,921,504.61 GB.")));
    EXPECT_FALSE(fs::exists(huge));
    EXPECT_TRUE(reader.takeReads().empty());
}

TEST_F(DeviceImagingTest, AMapOfAnotherSourceIsNotResumed) {
    FlakyReader reader(2 * MiB);
    makeImage(sourceOf(reader, MiB), image, false);
    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, 2 * MiB), image, true); }),
              mapPath(image).string() + " describes a source of another size than CARD.");
    testing::writeFile(mapPath(image), "0 1048576 copied\n");
    EXPECT_EQ(testing::thrownMessage([&] { makeImage(sourceOf(reader, MiB), image, true); }),
              mapPath(image).string() + " is not a Tidewell image map, so the imaging cannot be resumed.");
}

}  // namespace
}  // namespace tidewell::DeviceImaging
