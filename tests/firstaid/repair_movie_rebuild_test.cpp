#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/media_container.h"
#include "firstaid/repair_export.h"
#include "process/command_runner.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
namespace fs = std::filesystem;
using testing::runFFmpeg;

struct Packet {
    double pts = 0;
    std::int64_t position = 0;
    std::int64_t size = 0;
};

// The packets of one stream ("v" or "a") in decoding order, as ffprobe lists them.
std::vector<Packet> packets(const fs::path& file, const std::string& stream) {
    const auto output =
        CommandRunner::run("/usr/bin/ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                                                "packet=pts_time,pos,size", "-of", "json", file.string()});
    EXPECT_EQ(output.status, 0) << output.combined();
    std::vector<Packet> list;
    const auto listing = nlohmann::json::parse(output.stdoutText);
    for (const auto& packet : listing["packets"]) {
        list.push_back({std::stod(packet.value("pts_time", "0")),
                        std::strtoll(packet.value("pos", "-1").c_str(), nullptr, 10),
                        std::strtoll(packet.value("size", "0").c_str(), nullptr, 10)});
    }
    return list;
}

// Frames the decoder produced for one stream, counted by ffprobe.
std::int64_t decodedFrames(const fs::path& file, const std::string& stream) {
    const auto output = CommandRunner::run("/usr/bin/ffprobe",
                                           {"-v", "error", "-count_frames", "-select_streams", stream, "-show_entries",
                                            "stream=nb_read_frames", "-of", "csv=p=0", file.string()});
    EXPECT_EQ(output.status, 0) << output.combined();
    EXPECT_FALSE(output.stdoutText.empty()) << file << " " << output.combined();
    return output.stdoutText.empty() ? -1 : std::strtoll(output.stdoutText.c_str(), nullptr, 10);
}

double streamDuration(const fs::path& file, const std::string& stream) {
    const auto output =
        CommandRunner::run("/usr/bin/ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                                                "stream=duration", "-of", "csv=p=0", file.string()});
    return std::stod(output.stdoutText);
}

std::string decodeErrors(const fs::path& file) {
    const auto output = CommandRunner::run("/usr/bin/ffmpeg", {"-v", "error", "-i", file.string(), "-f", "null", "-"});
    return output.status == 0 ? output.stderrText : "status " + std::to_string(output.status) + output.stderrText;
}

struct Recording {
    std::vector<std::string> codecOptions;
    std::string extension;
    bool audio = true;
    std::vector<std::string> audioOptions{"-c:a", "aac", "-b:a", "128k"};
};

class MovieRebuildTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(outputs); }

    // A recording of the given settings, with its movie box written last (no faststart).
    fs::path record(const Recording& settings, const std::string& name, double seconds, int tone,
                    const std::string& size = "160x120") {
        const fs::path file = folder / (name + "." + settings.extension);
        std::vector<std::string> arguments{"-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=25"};
        if (settings.audio) {
            arguments.insert(
                arguments.end(),
                {"-f", "lavfi", "-i", "sine=frequency=" + std::to_string(tone) + ":sample_rate=48000", "-ac", "2"});
            arguments.insert(arguments.end(), settings.audioOptions.begin(), settings.audioOptions.end());
        }
        arguments.insert(arguments.end(), {"-t", std::to_string(seconds)});
        arguments.insert(arguments.end(), settings.codecOptions.begin(), settings.codecOptions.end());
        arguments.push_back(file.string());
        EXPECT_TRUE(runFFmpeg(arguments));
        return file;
    }

    static AtomRecord atom(const fs::path& file, const std::string& type) {
        const auto atoms = parseTopLevelAtoms(file);
        const auto found =
            std::find_if(atoms.begin(), atoms.end(), [&](const AtomRecord& record) { return record.type == type; });
        EXPECT_NE(found, atoms.end()) << type;
        return found == atoms.end() ? AtomRecord{} : *found;
    }

    // Repairs the first cut bytes of the intact recording and checks the copy against the
    // intact recording's packets that lay wholly before the cut.
    void expectRebuilt(const fs::path& intact, const fs::path& reference, std::uint64_t cut, bool audio,
                       bool pcmAudio = false) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const fs::path broken = folder / ("cut-" + std::to_string(cut) + intact.extension().string());
        testing::truncateCopy(intact, broken, cut);
        const std::string before = testing::readFile(broken);
        const auto diagnostic = diagnose(broken);
        EXPECT_EQ(diagnostic.recommendedAction, referenceRepairAction);
        EXPECT_TRUE(canRebuildFromReference(diagnostic));
        EXPECT_FALSE(diagnostic.canAttemptRepair);
        const auto outcome = repairWithReference(diagnostic, reference, uniqueOutputURL(diagnostic, outputs));
        const fs::path output = outcome.outputURL;
        ASSERT_TRUE(fs::exists(output));
        EXPECT_EQ(testing::readFile(broken), before);
        EXPECT_EQ(decodeErrors(output), "");

        for (const std::string stream : {"v", "a"}) {
            if (stream == "a" && !audio) continue;
            SCOPED_TRACE(stream);
            std::vector<Packet> kept;
            for (const auto& packet : packets(intact, stream))
                if (static_cast<std::uint64_t>(packet.position + packet.size) <= cut) kept.push_back(packet);
            ASSERT_FALSE(kept.empty());
            const auto rebuilt = packets(output, stream);
            // PCM keeps the frames of the chunk the cut ends, one more packet than the whole ones.
            const bool pcm = stream == "a" && pcmAudio;
            ASSERT_GE(rebuilt.size(), kept.size());
            ASSERT_LE(rebuilt.size(), kept.size() + (pcm ? 1 : 0));
            // The decoder drops what the edit list skips (the encoder's priming), in both files alike.
            const auto skipped =
                static_cast<std::int64_t>(packets(intact, stream).size()) - decodedFrames(intact, stream);
            EXPECT_EQ(decodedFrames(output, stream), static_cast<std::int64_t>(rebuilt.size()) - skipped);
            // Same presentation times, so the frames show in the order they were recorded.
            for (std::size_t i = 0; i < kept.size(); ++i)
                ASSERT_NEAR(rebuilt[i].pts, kept[i].pts, 0.001) << "packet " << i;
            // As long as the frames recovered, to one frame.
            const double frame = stream == "v" ? 0.04 : 1024.0 / 48000;
            EXPECT_NEAR(streamDuration(output, stream), static_cast<double>(kept.size()) * frame, frame + 0.001);
        }
        EXPECT_NE(outcome.message.find(std::to_string(packets(output, "v").size()) + " video frames"),
                  std::string::npos)
            << outcome.message;
    }

    void expectRebuiltAtSeveralCuts(const Recording& settings) {
        const fs::path intact = record(settings, "intact", 4, 440);
        const fs::path reference = record(settings, "reference", 2, 300);
        const AtomRecord mdat = atom(intact, "mdat");
        const auto video = packets(intact, "v");
        const Packet& inside = video.at(video.size() * 3 / 4);
        const std::vector<std::uint64_t> cuts{mdat.offset + mdat.size * 3 / 10, mdat.offset + mdat.size * 55 / 100,
                                              static_cast<std::uint64_t>(inside.position + inside.size / 2),
                                              mdat.offset + mdat.size};
        const bool pcm = settings.audioOptions.at(1).starts_with("pcm");
        for (auto cut : cuts) expectRebuilt(intact, reference, cut, settings.audio, pcm);
    }

    // A recording cut halfway through its media data, repaired with a reference of other settings.
    void expectRefused(const Recording& referenceSettings, const std::string& message) {
        const fs::path intact = record({x264, "mp4"}, "intact", 2, 440);
        const fs::path reference = record(referenceSettings, "reference", 1, 300);
        const AtomRecord mdat = atom(intact, "mdat");
        const fs::path broken = folder / "broken.mp4";
        testing::truncateCopy(intact, broken, mdat.offset + mdat.size / 2);
        try {
            repairWithReference(diagnose(broken), reference, outputs / "broken-repaired.mp4");
            ADD_FAILURE() << "rebuilt with a reference of other settings";
        } catch (const RepairError& error) {
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_TRUE(fs::is_empty(outputs));
    }

    // A copy of the intact recording without its movie box whose first video packet from the
    // given share of the packets on has its slice data, after the slice header's first bytes,
    // zeroed so that the decoder fails on it; the damaged packet's position.
    std::int64_t damagedCopy(const fs::path& intact, const fs::path& damaged, double share) {
        const std::string bytes = testing::readFile(intact);
        const AtomRecord mdat = atom(intact, "mdat");
        const auto video = packets(intact, "v");
        for (auto index = static_cast<std::size_t>(static_cast<double>(video.size()) * share); index < video.size();
             ++index) {
            const Packet& packet = video[index];
            std::string changed = bytes;
            const auto at = static_cast<std::size_t>(packet.position);
            const std::size_t length = (static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[at])) << 24) |
                                       (static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 16) |
                                       (static_cast<std::size_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 8) |
                                       static_cast<std::uint8_t>(bytes[at + 3]);
            if (length < 16) continue;
            std::fill(changed.begin() + static_cast<std::ptrdiff_t>(at + 9),
                      changed.begin() + static_cast<std::ptrdiff_t>(at + 4 + length), '\0');
            testing::writeFile(damaged, changed);
            if (decodeErrors(damaged).empty()) continue;
            testing::writeFile(damaged, changed.substr(0, mdat.offset + mdat.size));
            return packet.position;
        }
        ADD_FAILURE() << "no packet whose damage the decoder reports";
        return -1;
    }

    static inline const std::vector<std::string> x264{"-c:v", "libx264", "-preset", "veryfast"};
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    fs::path outputs = folder / "outputs";
};

TEST_F(MovieRebuildTest, RebuildsH264AndAacInMp4CutAtSeveralPoints) {
    expectRebuiltAtSeveralCuts({MovieRebuildTest::x264, "mp4"});
}

TEST_F(MovieRebuildTest, RebuildsHevcAndAacInMovCutAtSeveralPoints) {
    expectRebuiltAtSeveralCuts(
        {{"-c:v", "libx265", "-preset", "fast", "-x265-params", "log-level=error", "-tag:v", "hvc1"}, "mov"});
}

TEST_F(MovieRebuildTest, RebuildsH264AndPcmInMovCutAtSeveralPoints) {
    expectRebuiltAtSeveralCuts({MovieRebuildTest::x264, "mov", true, {"-c:a", "pcm_s16le"}});
}

TEST_F(MovieRebuildTest, RebuildsH264WithoutAudio) {
    expectRebuiltAtSeveralCuts({MovieRebuildTest::x264, "mp4", false});
}

TEST_F(MovieRebuildTest, ReportsTheCutAndKeepsTheRecordingUnchanged) {
    const Recording settings{x264, "mp4"};
    const fs::path intact = record(settings, "intact", 2, 440);
    const fs::path reference = record(settings, "reference", 1, 300);
    const AtomRecord mdat = atom(intact, "mdat");
    const fs::path broken = folder / "broken.mp4";
    testing::truncateCopy(intact, broken, mdat.offset + mdat.size / 2);
    const auto outcome = repairWithReference(diagnose(broken), reference, outputs / "broken-repaired.mp4");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    ASSERT_FALSE(outcome.warnings.empty());
    EXPECT_TRUE(outcome.warnings.front().starts_with("The recording stops at byte ")) << outcome.warnings.front();
    EXPECT_TRUE(outcome.message.ends_with(" seconds) recovered; the recording ends at byte " +
                                          outcome.warnings.front().substr(28, outcome.warnings.front().find(':') - 28) +
                                          "."))
        << outcome.message;
}

// A cut recording whose mdat header says 0 (to the end), 1 with a 64-bit size, or the size the
// camera meant to write: the frames found are the same.
TEST_F(MovieRebuildTest, TrustsTheMediaDataOverItsHeader) {
    const fs::path intact = record({x264, "mp4"}, "intact", 2, 440);
    const fs::path reference = record({x264, "mp4"}, "reference", 1, 300);
    const AtomRecord mdat = atom(intact, "mdat");
    const std::string cut = testing::readFile(intact).substr(0, mdat.offset + mdat.size * 2 / 3);
    const std::string head = cut.substr(0, mdat.offset);
    const std::string payload = cut.substr(mdat.offset + 8);
    const std::string zeroSize = head + std::string("\0\0\0\0mdat", 8) + payload;
    const std::string wideSize =
        head + std::string("\0\0\0\x01mdat\0\0\0\x01\0\0\0\0", 16) + payload;  // 4 GiB, beyond the end
    std::vector<std::size_t> frames;
    for (const auto& [name, bytes] : {std::pair{"intended", cut}, {"zero", zeroSize}, {"wide", wideSize}}) {
        const fs::path broken = folder / (std::string(name) + ".mp4");
        testing::writeFile(broken, bytes);
        const auto outcome =
            repairWithReference(diagnose(broken), reference, outputs / (std::string(name) + "-repaired.mp4"));
        EXPECT_EQ(decodeErrors(outcome.outputURL), "") << name;
        frames.push_back(packets(outcome.outputURL, "v").size());
    }
    EXPECT_GT(frames[0], 10U);
    EXPECT_EQ(frames[1], frames[0]);
    EXPECT_EQ(frames[2], frames[0]);
}

// Without B-frames the muxer writes the first sound frame ahead of the first picture.
TEST_F(MovieRebuildTest, RebuildsARecordingWhoseMediaDataOpensWithSound) {
    const Recording settings{{"-c:v", "libx264", "-preset", "veryfast", "-bf", "0"}, "mp4"};
    const fs::path intact = record(settings, "intact", 2, 440);
    const fs::path reference = record(settings, "reference", 1, 300);
    ASSERT_LT(packets(intact, "a").front().position, packets(intact, "v").front().position);
    const AtomRecord mdat = atom(intact, "mdat");
    expectRebuilt(intact, reference, mdat.offset + mdat.size / 2, true);
}

TEST_F(MovieRebuildTest, RecommendsTheReferenceRepairForSoundOnlyMediaData) {
    const fs::path intact = record({{"-vn"}, "mp4"}, "intact", 2, 440);
    const AtomRecord mdat = atom(intact, "mdat");
    const fs::path broken = folder / "sound.mp4";
    testing::truncateCopy(intact, broken, mdat.offset + mdat.size / 2);
    EXPECT_EQ(diagnose(broken).recommendedAction, referenceRepairAction);
}

// Frames that fail to decode in the last moments of a recording cost only the end of the copy.
TEST_F(MovieRebuildTest, EndsTheCopyBeforeFramesThatFailToDecodeNearTheEnd) {
    const fs::path intact = record({x264, "mp4"}, "intact", 4, 440);
    const fs::path reference = record({x264, "mp4"}, "reference", 1, 300);
    const fs::path damaged = folder / "damaged.mp4";
    const std::int64_t position = damagedCopy(intact, damaged, 0.94);
    ASSERT_GT(position, 0);
    const auto outcome = repairWithReference(diagnose(damaged), reference, outputs / "damaged-repaired.mp4");
    EXPECT_EQ(decodeErrors(outcome.outputURL), "");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    ASSERT_FALSE(outcome.warnings.empty());
    EXPECT_EQ(outcome.warnings.front(),
              "The frames from byte " + std::to_string(position) + " on did not decode and were left out.");
    for (const std::string stream : {"v", "a"}) {
        std::size_t before = 0;
        for (const auto& packet : packets(intact, stream)) before += packet.position < position ? 1 : 0;
        EXPECT_EQ(packets(outcome.outputURL, stream).size(), before) << stream;
    }
}

TEST_F(MovieRebuildTest, RefusesACopyWhoseFramesFailToDecodeEarlyAndWritesNothing) {
    const fs::path intact = record({x264, "mp4"}, "intact", 2, 440);
    const fs::path reference = record({x264, "mp4"}, "reference", 1, 300);
    const fs::path damaged = folder / "damaged.mp4";
    ASSERT_GT(damagedCopy(intact, damaged, 0.3), 0);
    try {
        repairWithReference(diagnose(damaged), reference, outputs / "damaged-repaired.mp4");
        ADD_FAILURE() << "kept a copy that does not decode";
    } catch (const RepairError& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("The rebuilt video did not decode cleanly ("))
            << error.what();
    }
    EXPECT_TRUE(fs::is_empty(outputs));
}

const char* const otherSettings =
    "The reference clip was recorded with other settings than this file. Choose a healthy clip from the same "
    "camera, recorded with the same settings.";

TEST_F(MovieRebuildTest, RefusesAReferenceOfAnotherCodecAndWritesNothing) {
    expectRefused({{"-c:v", "libx265", "-x265-params", "log-level=error", "-tag:v", "hvc1"}, "mp4"}, otherSettings);
}

TEST_F(MovieRebuildTest, RefusesAReferenceWithOtherAudioSettingsAndWritesNothing) {
    expectRefused({{"-c:v", "libx264", "-preset", "veryfast", "-ac", "1"}, "mp4"}, otherSettings);
}

TEST_F(MovieRebuildTest, RefusesMediaDataWithoutRecognisableFramesAndWritesNothing) {
    const fs::path reference = record({x264, "mp4"}, "reference", 1, 300);
    const fs::path broken = folder / "noise.mp4";
    std::string bytes(
        "\0\0\0\x18"
        "ftypisom\0\0\x02\0isomiso2",
        24);
    bytes += std::string("\0\0\0\0mdat", 8);
    for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<char>((i * 7919 + 13) % 251 | 0x80));
    testing::writeFile(broken, bytes);
    const auto diagnostic = diagnose(broken);
    EXPECT_NE(diagnostic.recommendedAction, referenceRepairAction);
    EXPECT_FALSE(canRebuildFromReference(diagnostic));
    EXPECT_THROW(repairWithReference(diagnostic, reference, outputs / "noise-repaired.mp4"), RepairError);
    EXPECT_TRUE(fs::is_empty(outputs));
}

}  // namespace
}  // namespace tidewell
