// Replays hostile history files through the fuzz entry.
#define TIDEWELL_FUZZ_ENTRY repairHistoryFuzzEntry
#include "../../fuzz/repair_history_fuzzer.cpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RepairHistoryFuzzerTest, HostileInputs) {
    const std::string record =
        R"("id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","sourceName":"a","outputName":"b","kindRawValue":"k",)"
        R"("stateRawValue":"s","sourceSizeBytes":1,"outputSizeBytes":2,"message":"m")";
    const std::vector<std::string> inputs{
        "",
        "[",
        "{}",
        "[null]",
        "[{" + record + R"(,"completedAt":1e400}])",
        "[{" + record + R"(,"completedAt":-1e300}])",
        "[{" + record + R"(,"completedAt":"now"}])",
        "[{" + record + R"(,"completedAt":1,"outputBookmark":"@@@="}])",
        "[{" + record + R"(,"completedAt":1,"outputBookmark":"===="}])",
        "[{" + record + R"(,"completedAt":1,"outputBookmark":"L3Q="}])",
        "[{" + record + R"(,"completedAt":1,"sourceSizeBytes":1.5}])",
        "[{" + record + R"(,"completedAt":1,"sourceSizeBytes":99999999999999999999}])",
        std::string(5000, '[') + std::string(5000, ']'),
        "[{\"id\":\"\xff\xfe\"}]"};
    for (const auto& input : inputs) {
        EXPECT_EQ(repairHistoryFuzzEntry(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), 0);
    }
}

}  // namespace
