// Replays hostile inputs through the cleanup-history fuzz target.
#define TIDEWELL_FUZZ_ENTRY cleanupHistoryFuzzEntry
#include "../../fuzz/cleanup_history_fuzzer.cpp"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

int replay(const std::string& bytes) {
    return cleanupHistoryFuzzEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::string report(const std::string& date, const std::string& bytes) {
    return R"({"id":"5F2C1E9A-3B4D-4C6E-8F10-112233445566","appName":"\u0000\u00e9","movedItems":["\u00ff"],)"
           R"("failedItems":[],"date":)" +
           date + R"(,"recoveredBytes":)" + bytes + "}";
}

TEST(CleanupHistoryFuzzer, ReplaysHostileJSON) {
    EXPECT_EQ(replay(""), 0);
    EXPECT_EQ(replay(std::string(100'000, '[') + std::string(100'000, ']')), 0);
    EXPECT_EQ(replay(std::string(100'000, '[')), 0);
    EXPECT_EQ(replay("[" + report("1e308", "1") + "]"), 0);
    EXPECT_EQ(replay("[" + report("-1e308", "-9223372036854775808") + "]"), 0);
    EXPECT_EQ(replay("[" + report("0", "18446744073709551615") + "]"), 0);
    EXPECT_EQ(replay("[" + report("786000000.5", "1.5") + "]"), 0);
    EXPECT_EQ(replay("[\"\xFF\xFE\"]"), 0);
    EXPECT_EQ(replay(R"([{"appName":"\ud800"}])"), 0);
}

TEST(CleanupHistoryFuzzer, OutOfRangeValuesDoNotDecode) {
    EXPECT_TRUE(ReportStore::decodeHistory("[" + report("1e308", "1") + "]").empty());
    EXPECT_TRUE(ReportStore::decodeHistory("[" + report("0", "18446744073709551615") + "]").empty());
    EXPECT_TRUE(ReportStore::decodeHistory("[" + report("0", "1.5") + "]").empty());
    EXPECT_EQ(ReportStore::decodeHistory("[" + report("0", "-9223372036854775808") + "]").size(), 1u);
}

}  // namespace
}  // namespace tidewell
