#include "cleanup/report_store.h"

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/temporary_folder.h"
#include "util/date_codings.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

// Whole seconds, so dates survive the seconds-since-2001 round trip exactly.
CleanupReport reportNumber(int number) {
    const auto date = dateFromSecondsSinceReferenceDate(800'000'000.0 - number * 60);
    return CleanupReport::make(date, "App " + std::to_string(number), {"/moved/" + std::to_string(number)}, {},
                               number * 1000);
}

std::vector<CleanupReport> newestFirst(int count) {
    std::vector<CleanupReport> reports;
    for (int number = 0; number < count; ++number) reports.push_back(reportNumber(number));
    return reports;
}

// Writes beyond `bytes` fail with EFBIG while the guard lives (root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    sighandler_t previousHandler_;
};

class ReportStoreTest : public ::testing::Test {
protected:
    testing::TemporaryHome home;
    std::vector<std::string> logged;
    ReportStore::FailureLog log = [this](const std::string& line) { logged.push_back(line); };
};

TEST_F(ReportStoreTest, LivesInTheApplicationDataFolder) {
    EXPECT_EQ(ReportStore::fileURL(), home.path() / ".local/share/Tidewell/cleanup-history.json");
}

TEST_F(ReportStoreTest, KeepsTheHundredNewestInOrder) {
    const std::vector<CleanupReport> reports = newestFirst(150);
    ReportStore::save(reports, log);
    const std::vector<CleanupReport> loaded = ReportStore::load();
    ASSERT_EQ(loaded.size(), 100u);
    EXPECT_EQ(loaded, std::vector<CleanupReport>(reports.begin(), reports.begin() + 100));
    EXPECT_TRUE(logged.empty());
}

TEST_F(ReportStoreTest, WritesSortedKeysAndReferenceDateSeconds) {
    CleanupReport report = reportNumber(0);
    report.id = "5F2C1E9A-3B4D-4C6E-8F10-112233445566";
    report.date = dateFromSecondsSinceReferenceDate(786'000'000);
    report.failedItems = {"/x: Permission denied"};
    ReportStore::save({report}, log);
    EXPECT_EQ(readFile(ReportStore::fileURL()), R"([
  {
    "appName": "App 0",
    "date": 786000000.0,
    "failedItems": [
      "/x: Permission denied"
    ],
    "id": "5F2C1E9A-3B4D-4C6E-8F10-112233445566",
    "movedItems": [
      "/moved/0"
    ],
    "recoveredBytes": 0
  }
])");
}

TEST_F(ReportStoreTest, AnyBadReportLoadsAnEmptyHistory) {
    EXPECT_TRUE(ReportStore::load().empty());  // no file yet
    ReportStore::save(newestFirst(3), log);
    nlohmann::json stored = nlohmann::json::parse(readFile(ReportStore::fileURL()));
    stored[1].erase("recoveredBytes");
    writeFile(ReportStore::fileURL(), stored.dump());
    EXPECT_TRUE(ReportStore::load().empty());

    for (const std::string broken :
         {"[{", "{}",
          R"([{"id":"not-a-uuid","date":1,"appName":"a","movedItems":[],"failedItems":[],"recoveredBytes":1}])"}) {
        writeFile(ReportStore::fileURL(), broken);
        EXPECT_TRUE(ReportStore::load().empty()) << broken;
    }
}

TEST_F(ReportStoreTest, FailedWriteKeepsTheOldFileAndLogs) {
    ReportStore::save(newestFirst(1), log);
    const std::string before = readFile(ReportStore::fileURL());
    {
        const FileSizeLimit limit(64);
        ReportStore::save(newestFirst(50), log);
    }
    EXPECT_EQ(readFile(ReportStore::fileURL()), before);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0].starts_with("Tidewell failed to save reports: Cannot write ")) << logged[0];
    EXPECT_TRUE(logged[0].ends_with(".tmp: File too large")) << logged[0];
    // No temporary file is left beside the history.
    EXPECT_EQ(std::distance(fs::directory_iterator(ReportStore::fileURL().parent_path()), fs::directory_iterator()), 1);
}

TEST_F(ReportStoreTest, FolderThatIsAFileIsLogged) {
    writeFile(ReportStore::fileURL().parent_path(), "in the way");
    ReportStore::save(newestFirst(2), log);
    EXPECT_EQ(readFile(ReportStore::fileURL().parent_path()), "in the way");
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], "Tidewell failed to save reports: Cannot create folder " +
                             ReportStore::fileURL().parent_path().string() + ": Not a directory");
}

TEST_F(ReportStoreTest, TextThatIsNotUTF8IsSavedReplaced) {
    CleanupReport report = reportNumber(0);
    report.movedItems = {"/moved/caf\xE9"};
    ReportStore::save({report}, log);
    EXPECT_TRUE(logged.empty());
    const std::vector<CleanupReport> loaded = ReportStore::load();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].movedItems, std::vector<std::string>{"/moved/caf\xEF\xBF\xBD"});
}

}  // namespace
}  // namespace tidewell
