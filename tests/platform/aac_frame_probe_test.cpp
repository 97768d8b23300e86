#include "platform/aac_frame_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using platform::AacFrameProbe;

// An ADTS stream carries each frame's length in its header, which raw AAC does not: the truth
// the probe's answers are checked against.
struct AdtsStream {
    std::vector<std::uint8_t> audioSpecificConfig;
    std::string raw;                   // the frames without their headers, back to back
    std::vector<std::size_t> lengths;  // of each raw frame
};

AdtsStream adts(const fs::path& file, const std::string& channels) {
    std::string output;
    EXPECT_EQ(testing::runTool("ffmpeg",
                               {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000", "-t",
                                "1", "-ac", channels, "-c:a", "aac", "-b:a", "96k", "-f", "adts", file.string()},
                               &output),
              0)
        << output;
    const std::string bytes = testing::readFile(file);
    AdtsStream stream;
    for (std::size_t at = 0; at + 7 <= bytes.size();) {
        const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[at + i]); };
        EXPECT_EQ(byte(0), 0xFF);
        const std::size_t header = (byte(1) & 1) ? 7 : 9;
        const std::size_t length = ((byte(3) & 3U) << 11) | (byte(4) << 3) | (byte(5) >> 5);
        if (stream.audioSpecificConfig.empty()) {
            const unsigned objectType = ((byte(2) >> 6) & 3U) + 1;
            const unsigned frequency = (byte(2) >> 2) & 0xFU;
            const unsigned channelConfiguration = ((byte(2) & 1U) << 2) | (byte(3) >> 6);
            stream.audioSpecificConfig = {
                static_cast<std::uint8_t>((objectType << 3) | (frequency >> 1)),
                static_cast<std::uint8_t>(((frequency & 1U) << 7) | (channelConfiguration << 3))};
        }
        stream.raw += bytes.substr(at + header, length - header);
        stream.lengths.push_back(length - header);
        at += length;
    }
    return stream;
}

std::span<const std::uint8_t> bytesOf(const std::string& text, std::size_t from) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()) + from, text.size() - from};
}

TEST(AacFrameProbeTest, FindsEachRawFrameEndAsTheAdtsHeadersSay) {
    testing::TemporaryFolder folder;
    for (const std::string channels : {"1", "2"}) {
        const AdtsStream stream = adts(folder / ("tone" + channels + ".aac"), channels);
        ASSERT_GT(stream.lengths.size(), 40U);
        AacFrameProbe probe(stream.audioSpecificConfig);
        std::size_t at = 0;
        for (std::size_t length : stream.lengths) {
            EXPECT_EQ(probe.frameLength(bytesOf(stream.raw, at)), length) << "frame at " << at;
            at += length;
        }
    }
}

// Frames as a recording interleaves them: runs of one to three frames, each run followed by a
// block of other data that opens like a video sample (a zero byte), as the next track's sample.
TEST(AacFrameProbeTest, FindsFrameEndsWhereOtherDataFollows) {
    testing::TemporaryFolder folder;
    const AdtsStream stream = adts(folder / "tone.aac", "2");
    std::string data;
    std::vector<std::size_t> starts;
    std::vector<std::size_t> blocks;  // where each block of other data starts
    std::uint32_t noise = 12345;
    std::size_t at = 0;
    for (std::size_t i = 0; i < stream.lengths.size(); ++i) {
        starts.push_back(data.size());
        data += stream.raw.substr(at, stream.lengths[i]);
        at += stream.lengths[i];
        if (i % 3 == 1 || i % 5 == 0) {
            blocks.push_back(data.size());
            data += std::string("\0\0\x02\x10\x65", 5);
            for (int k = 0; k < 700; ++k) {
                noise = noise * 1664525 + 1013904223;
                data.push_back(static_cast<char>(noise >> 24));
            }
        }
    }
    AacFrameProbe probe(stream.audioSpecificConfig);
    for (bool hinted : {true, false}) {
        SCOPED_TRACE(hinted ? "other data named" : "other data unnamed");
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t start = starts[i];
            auto likelyEnd = [&](std::size_t end) {
                return std::find(blocks.begin(), blocks.end(), start + end) != blocks.end();
            };
            const auto length =
                hinted ? probe.frameLength(bytesOf(data, start), likelyEnd) : probe.frameLength(bytesOf(data, start));
            EXPECT_EQ(length, stream.lengths[i]) << "frame " << i;
        }
        for (std::size_t block : blocks) EXPECT_EQ(probe.frameLength(bytesOf(data, block)), std::nullopt);
    }
}

TEST(AacFrameProbeTest, RefusesCutFramesAndFramesOfAnotherChannelLayout) {
    testing::TemporaryFolder folder;
    const AdtsStream stereo = adts(folder / "stereo.aac", "2");
    const AdtsStream mono = adts(folder / "mono.aac", "1");
    AacFrameProbe probe(stereo.audioSpecificConfig);
    const std::string first = stereo.raw.substr(0, stereo.lengths.at(0));
    EXPECT_EQ(probe.frameLength(bytesOf(first, 0)), first.size());
    EXPECT_EQ(probe.frameLength(bytesOf(first.substr(0, first.size() - 1), 0)), std::nullopt);
    EXPECT_EQ(AacFrameProbe(mono.audioSpecificConfig).frameLength(bytesOf(stereo.raw, stereo.lengths.at(0))),
              std::nullopt);
    // The encoder's first frame opens with a fill element; the frames after it with their channels.
    EXPECT_EQ(probe.frameLength(bytesOf(mono.raw, mono.lengths.at(0))), std::nullopt);
    EXPECT_THROW(AacFrameProbe(std::vector<std::uint8_t>{}), std::runtime_error);
}

}  // namespace
}  // namespace tidewell
