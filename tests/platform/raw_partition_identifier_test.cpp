#include "platform/raw_partition_identifier.h"

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

TEST(RawPartitionIdentifier, AcceptsKernelPartitionNames) {
    for (const char* name :
         {"sdz1", "sda12", "sdaa3", "vdb1", "mmcblk0p1", "mmcblk12p3", "nvme0n1p1", "nvme10n2p15", "loop0", "loop17"})
        EXPECT_TRUE(isRawPartitionIdentifier(name)) << name;
}

TEST(RawPartitionIdentifier, RefusesWholeDisksPathsBlanksAndOtherNames) {
    for (const char* name : {"",     "sdz",    "/dev/sdz1", "dev/sdz1", "sdz1 ",   " sdz1",     "sdz1\n",  "sdZ1",
                             "sd1",  "sdz0",   "sdz01",     "vda",      "mmcblk0", "mmcblk0p0", "nvme0n1", "nvme0n0p1",
                             "loop", "loop01", "disk4s1",   "sdz1/..",  "../sdz1", "hda1",      "dm-0",    "sr0"})
        EXPECT_FALSE(isRawPartitionIdentifier(name)) << name;
    EXPECT_FALSE(isRawPartitionIdentifier(std::string("sdz1\0x", 6)));
    EXPECT_FALSE(isRawPartitionIdentifier("sd" + std::string(40, 'a') + "1"));
}

}  // namespace
}  // namespace tidewell::platform
