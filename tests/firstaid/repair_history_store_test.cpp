#include "firstaid/repair_history_store.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "firstaid/repair_history_coding.h"
#include "support/temporary_folder.h"
#include "util/base64_text.h"
#include "util/date_codings.h"
#include "util/uuid.h"

namespace tidewell {
namespace {

using nlohmann::json;

// Whole seconds after the reference date survive the floating-point date form exactly.
RepairHistoryRecord record(int number, double completedAt) {
    RepairHistoryRecord made;
    made.id = makeUUIDString();
    made.sourceName = "source-" + std::to_string(number) + ".zip";
    made.outputName = "source-" + std::to_string(number) + "-repaired.zip";
    made.kindRawValue = "ZIP Archive";
    made.stateRawValue = "Repaired";
    made.sourceSizeBytes = 4096 + number;
    made.outputSizeBytes = 8192 + number;
    made.completedAt = dateFromSecondsSinceReferenceDate(completedAt);
    made.message = "Rebuilt 3 readable archive entries into a new copy.";
    return made;
}

class RepairHistoryStoreTest : public ::testing::Test {
protected:
    testing::TemporaryHome home;
    std::filesystem::path folder() const { return home.path() / ".local/share/Tidewell"; }
    std::filesystem::path file() const { return folder() / "repair-history-v2.json"; }
    void writeHistory(const json& array) const { testing::writeFile(file(), array.dump()); }
};

TEST_F(RepairHistoryStoreTest, StorageLivesInTheApplicationDataFolder) {
    EXPECT_EQ(RepairHistoryStore::storageURL(), file());
    EXPECT_TRUE(std::filesystem::is_directory(folder()));
    EXPECT_TRUE(RepairHistoryStore::load().empty());
}

TEST_F(RepairHistoryStoreTest, SavesTheFirst80RecordsAndLoadsThemBack) {
    std::vector<RepairHistoryRecord> records;
    for (int number = 0; number < 85; ++number) records.push_back(record(number, 800'000'000.0 - number * 60));
    records[0].outputBookmark = makeOutputBookmark("/data/out/source-0-repaired.zip");
    RepairHistoryStore::save(records);

    const auto loaded = RepairHistoryStore::load();
    ASSERT_EQ(loaded.size(), 80u);
    EXPECT_EQ(loaded, std::vector<RepairHistoryRecord>(records.begin(), records.begin() + 80));
    EXPECT_EQ(loaded[0].outputURL(), std::filesystem::path("/data/out/source-0-repaired.zip"));
    EXPECT_FALSE(loaded[1].outputBookmark.has_value());
}

TEST_F(RepairHistoryStoreTest, WritesTheExactKeysAndEncodings) {
    RepairHistoryRecord first = record(1, 786'000'000.5);
    first.outputBookmark = makeOutputBookmark("/t");
    RepairHistoryStore::save({first, record(2, 1)});

    const json stored = json::parse(testing::readFile(file()));
    ASSERT_EQ(stored.size(), 2u);
    const json& object = stored[0];
    std::vector<std::string> keys;
    for (const auto& item : object.items()) keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"completedAt", "id", "kindRawValue", "message", "outputBookmark", "outputName",
                                        "outputSizeBytes", "sourceName", "sourceSizeBytes", "stateRawValue"}));
    EXPECT_EQ(object["id"], first.id);
    EXPECT_EQ(object["outputBookmark"], "L3Q=");
    EXPECT_TRUE(object["sourceSizeBytes"].is_number_integer());
    EXPECT_EQ(object["outputSizeBytes"], 8193);
    EXPECT_DOUBLE_EQ(object["completedAt"].get<double>(), 786'000'000.5);
    EXPECT_FALSE(stored[1].contains("outputBookmark"));
}

TEST_F(RepairHistoryStoreTest, RecordsWrittenOutOfOrderLoadNewestFirst) {
    RepairHistoryStore::save({record(1, 100), record(2, 300), record(3, 200)});
    const auto loaded = RepairHistoryStore::load();
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[0].sourceName, "source-2.zip");
    EXPECT_EQ(loaded[1].sourceName, "source-3.zip");
    EXPECT_EQ(loaded[2].sourceName, "source-1.zip");
}

TEST_F(RepairHistoryStoreTest, BookmarkIsOptionalEverythingElseRequired) {
    RepairHistoryStore::save({record(1, 10)});
    json stored = json::parse(testing::readFile(file()));
    ASSERT_FALSE(stored[0].contains("outputBookmark"));
    const auto loaded = RepairHistoryStore::load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].outputURL(), std::nullopt);
    EXPECT_FALSE(loaded[0].outputExists());

    for (const char* key : {"id", "sourceName", "outputName", "kindRawValue", "stateRawValue", "sourceSizeBytes",
                            "outputSizeBytes", "completedAt", "message"}) {
        json damaged = stored;
        damaged[0].erase(key);
        writeHistory(damaged);
        EXPECT_TRUE(RepairHistoryStore::load().empty()) << key;
    }
}

TEST_F(RepairHistoryStoreTest, MalformedFilesLoadEmpty) {
    RepairHistoryStore::save({record(1, 10)});
    const json valid = json::parse(testing::readFile(file()));
    const std::vector<std::pair<const char*, json>> spoilers{
        {"id", "not-a-uuid"},      {"outputBookmark", "no base64!"},        {"sourceSizeBytes", 1.5},
        {"outputSizeBytes", "12"}, {"completedAt", "2024-01-01T00:00:00Z"}, {"message", nullptr}};
    for (const auto& [key, value] : spoilers) {
        json damaged = valid;
        damaged[0][key] = value;
        writeHistory(damaged);
        EXPECT_TRUE(RepairHistoryStore::load().empty()) << key;
    }
    testing::writeFile(file(), "{not json");
    EXPECT_TRUE(RepairHistoryStore::load().empty());
    testing::writeFile(file(), "{}");
    EXPECT_TRUE(RepairHistoryStore::load().empty());
    // A valid history padded beyond any real size is not read at all.
    testing::writeFile(file(), encodeRepairHistory({record(1, 10)}) + std::string(17 * 1024 * 1024, ' '));
    EXPECT_TRUE(RepairHistoryStore::load().empty());
}

TEST_F(RepairHistoryStoreTest, LegacyFileIsDeletedUnread) {
    testing::writeFile(folder() / "repair-history.json", encodeRepairHistory({record(1, 10)}));
    EXPECT_TRUE(RepairHistoryStore::load().empty());
    EXPECT_FALSE(std::filesystem::exists(folder() / "repair-history.json"));
}

TEST_F(RepairHistoryStoreTest, BookmarkResolvesToAnExistingOutput) {
    RepairHistoryRecord saved = record(1, 10);
    saved.outputBookmark = makeOutputBookmark(home.path() / "out.zip");
    RepairHistoryStore::save({saved});
    const auto loaded = RepairHistoryStore::load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_FALSE(loaded[0].outputExists());
    testing::writeFile(home.path() / "out.zip", "x");
    EXPECT_TRUE(loaded[0].outputExists());
}

TEST_F(RepairHistoryStoreTest, UnwritableFolderIsIgnored) {
    std::filesystem::remove_all(folder());
    testing::writeFile(folder(), "a file where the folder belongs");
    EXPECT_EQ(RepairHistoryStore::storageURL(), std::nullopt);
    RepairHistoryStore::save({record(1, 10)});
    EXPECT_TRUE(RepairHistoryStore::load().empty());
}

TEST(Base64TextTest, EncodesAndDecodesStrictly) {
    const std::string text = "Tidewell";
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(base64Decoded(base64Encoded(bytes)), bytes) << length;
    }
    EXPECT_EQ(base64Encoded(std::vector<std::uint8_t>{'T', 'i', 'd'}), "VGlk");
    EXPECT_EQ(base64Encoded(std::vector<std::uint8_t>{'T', 'i'}), "VGk=");
    EXPECT_EQ(base64Encoded(std::vector<std::uint8_t>{0xFB, 0xFF}), "+/8=");
    for (const char* bad : {"VGk", "VG=k", "V===", "====", "VGk=\n", "VG k"}) {
        EXPECT_EQ(base64Decoded(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace tidewell
