#include "firstaid/media_probe.h"

#include <gtest/gtest.h>

#include "firstaid/firstaid_fixtures.h"

namespace tidewell {
namespace {

using FileFirstAidEngine::MediaProbe;

TEST(MediaProbeTest, DecodesToolOutput) {
    const auto probe = MediaProbe::decode(R"({"programs":[],"streams":[
        {"codec_type":"video","codec_name":"h264"},{"codec_type":"audio","codec_name":"aac"},
        {"codec_type":"data"},{"codec_name":"mystery"}],"format":{"duration":"12.480000"}})");
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->streams.size(), 4u);
    EXPECT_EQ(probe->streams[3].codecType, std::nullopt);
    EXPECT_EQ(probe->streams[3].codecName, "mystery");
    EXPECT_EQ(probe->playableStreams().size(), 2u);
    EXPECT_DOUBLE_EQ(*probe->duration(), 12.48);
}

TEST(MediaProbeTest, DurationAndShapeRules) {
    EXPECT_EQ(MediaProbe::decode(R"({"streams":[]})")->duration(), std::nullopt);
    EXPECT_EQ(MediaProbe::decode(R"({"streams":[],"format":{}})")->duration(), std::nullopt);
    EXPECT_EQ(MediaProbe::decode(R"({"streams":[],"format":{"duration":"N/A"}})")->duration(), std::nullopt);
    EXPECT_EQ(MediaProbe::decode(R"({"format":{"duration":"1.0"}})"), std::nullopt);
    EXPECT_EQ(MediaProbe::decode(R"({"streams":{}})"), std::nullopt);
    EXPECT_EQ(MediaProbe::decode(R"({"streams":[{"codec_type":1}]})"), std::nullopt);
    EXPECT_EQ(MediaProbe::decode("not json"), std::nullopt);
}

TEST(MediaProbeTest, ProbesWithTheShippedTool) {
    testing::TemporaryFolder folder;
    const auto video = testing::makeVideo(folder / "clip.mp4", {}, 2);
    testing::writeFile(folder / "garbage.mp4", "garbage");
    {
        testing::ShippedTools tools;
        const auto probe = FileFirstAidEngine::mediaProbe(video);
        ASSERT_TRUE(probe);
        EXPECT_EQ(probe->playableStreams().size(), 2u);
        EXPECT_NEAR(*probe->duration(), 2.0, 0.1);
        EXPECT_EQ(FileFirstAidEngine::mediaProbe(folder / "garbage.mp4"), std::nullopt);
    }
    testing::ShippedTools withoutProbe({"ffmpeg"});
    EXPECT_EQ(FileFirstAidEngine::mediaProbe(video), std::nullopt);
}

}  // namespace
}  // namespace tidewell
