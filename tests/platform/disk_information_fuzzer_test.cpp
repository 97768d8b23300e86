// Replays hostile inputs through the disk-information fuzz target.
#define TIDEWELL_FUZZ_ENTRY diskInformationFuzzEntry
#include "../../fuzz/disk_information_fuzzer.cpp"

#include <gtest/gtest.h>

#include <string>

namespace tidewell {
namespace {

int replay(const std::string& bytes) {
    return diskInformationFuzzEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

const std::string mountLine = "30 22 8:17 / /media/STICK rw - vfat /dev/sdb1 rw\n";

TEST(DiskInformationFuzzer, ReplaysHostileMountTables) {
    EXPECT_EQ(replay(""), 0);
    EXPECT_EQ(replay(std::string(100'000, ' ')), 0);
    EXPECT_EQ(replay("1 2 4294967296:99999999999 / / rw - x y z\n"), 0);
    EXPECT_EQ(replay("1 2 3:4 / /\\ \\0 \\777\\ rw - - - -\n-\n- - - - - - -"), 0);
    EXPECT_EQ(replay(std::string(5000, '\n') + mountLine + std::string("\0", 1)), 0);
    EXPECT_EQ(replay("1 2 3:4 " + std::string(100'000, '/') + " /" + std::string(50'000, 'a') + " rw - x y z"), 0);
}

TEST(DiskInformationFuzzer, ReplaysHostileLsblkAnswers) {
    auto withAnswer = [](const std::string& answer) { return replay(mountLine + std::string("\0", 1) + answer); };
    EXPECT_EQ(withAnswer(std::string(100'000, '[')), 0);
    std::string deep = R"({"blockdevices":[{"kname":"sdb1")";
    for (int i = 0; i < 10'000; ++i) deep += R"(,"children":[{"kname":"sdb")";
    EXPECT_EQ(withAnswer(deep), 0);
    for (int i = 0; i < 10'000; ++i) deep += "}]";
    EXPECT_EQ(withAnswer(deep + "}]}"), 0);
    EXPECT_EQ(withAnswer(R"({"blockdevices":[{"kname":"sdb1","size":18446744073709551615,"fsavail":-1e308,)"
                         R"("rm":"\u0000","hotplug":{},"tran":"","label":"\ud800","children":"x"}]})"),
              0);
    EXPECT_EQ(withAnswer(R"({"blockdevices":[null,1,"x",{"name":"sdb1","children":[null]}]})"), 0);
    EXPECT_EQ(withAnswer("\xFF\xFE{\"blockdevices\":[]}"), 0);
}

}  // namespace
}  // namespace tidewell
