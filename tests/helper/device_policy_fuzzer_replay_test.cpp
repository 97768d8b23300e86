// Replays hostile inputs through the device-policy fuzz target's own entry function.
#include "../../fuzz/device_policy_fuzzer.cpp"

#include <gtest/gtest.h>

namespace tidewell::helper {
namespace {

int replay(std::string_view text) {
    return LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(RawDevicePolicyFuzzerReplay, SurvivesHostileRecordsAndDevices) {
    EXPECT_EQ(replay(""), 0);
    EXPECT_EQ(replay("E:\nE:=\nE:ID_FS_TYPE\nE:ID_FS_TYPE=swap\n"), 0);
    EXPECT_EQ(replay("22 1 8:1 / / rw - ext4 /dev/sdz1 rw\n1 2 3\n - - -\n\\\\\\0"), 0);
    EXPECT_EQ(replay("/devices/usb1/../../..//fw/fw9\n"), 0);
    std::string raid(70000, '\0');
    raid.replace(4096, 4, "\xfc\x4e\x2b\xa9");
    EXPECT_EQ(replay(raid), 0);
    EXPECT_EQ(replay(std::string(9, '\xff')), 0);
}

}  // namespace
}  // namespace tidewell::helper
