#include "recovery/deleted/image_map.h"

#include <gtest/gtest.h>

namespace tidewell::DeviceImaging {
namespace {

const std::string header = "# Tidewell disk image map\n# source: sdb1\n# size: 10240\n# sector: 512\n";

TEST(ImageMap, MarkingSplitsAndMergesRangesAndTheTextReadsBack) {
    ImageMap map("sdb1", 10240, 512);
    map.mark(0, 4096, RangeStatus::copied);
    map.mark(4096, 1024, RangeStatus::retry);
    map.mark(4608, 512, RangeStatus::unreadable);
    map.mark(5120, 9999, RangeStatus::copied);  // clamped to the source
    EXPECT_EQ(map.text(), header + "0 4096 copied\n4096 512 retry\n4608 512 unreadable\n5120 5120 copied\n");
    EXPECT_EQ(ImageMap::parse(map.text()), map);
    map.mark(4096, 1024, RangeStatus::copied);
    EXPECT_EQ(map.ranges(), (std::vector<MapRange>{{0, 10240, RangeStatus::copied}}));
    EXPECT_EQ(map.bytesWith(RangeStatus::copied), 10240);
}

TEST(ImageMap, OnlyExactlyWrittenMapsAreRead) {
    for (const std::string& broken : std::vector<std::string>{
             header + "0 10240 copied",                         // cut off
             header + "0 5120 copied\n5120 5120 copied\n",      // neighbours share a status
             header + "0 5120 copied\n5121 5119 pending\n",     // gap
             header + "0 5120 copied\n5000 5240 pending\n",     // overlap
             header + "0 5120 copied\n",                        // short of the size
             header + "0 10241 copied\n",                       // past the size
             header + "0 10240 fine\n",                         // unknown status
             header + "0 010240 copied\n",                      // leading zero
             header + "0 +10240 copied\n",                      // sign
             header + "0  10240 copied\n",                      // two blanks
             header + "0 10240 copied \n",                      // trailing blank
             header + "0 0 copied\n0 10240 pending\n",          // empty range
             "# size: 10240\n# sector: 512\n0 10240 copied\n",  // no title
             "# Tidewell disk image map\n# source: x\n# size: 10240\n# sector: 0\n0 10240 copied\n",
         })
        EXPECT_FALSE(ImageMap::parse(broken).has_value()) << broken;
    EXPECT_TRUE(ImageMap::parse(header + "0 10240 pending\n").has_value());
}

}  // namespace
}  // namespace tidewell::DeviceImaging
