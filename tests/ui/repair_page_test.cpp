#include "ui/repair_page.h"

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "support/eventually.h"
#include "support/pdf_fixture.h"
#include "support/temporary_folder.h"
#include "ui/qt_text.h"
#include "ui/quiet_engines.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

// A ZIP archive made by zip and cut short, so its central directory is gone.
fs::path damagedZip(const testing::TemporaryFolder& folder) {
    for (int index = 0; index < 3; ++index)
        testing::writeFile(folder / ("part" + std::to_string(index) + ".txt"),
                           std::string(4000, static_cast<char>('a' + index)));
    const fs::path zip = folder / "holiday photos.zip";
    EXPECT_EQ(testing::runTool("zip", {"-q", "-j", zip.string(), (folder / "part0.txt").string(),
                                       (folder / "part1.txt").string(), (folder / "part2.txt").string()}),
              0);
    fs::resize_file(zip, fs::file_size(zip) * 2 / 3);
    return zip;
}

QUrl fileURL(const fs::path& path) {
    return QUrl::fromLocalFile(toQString(path.string()));
}

// Drags `urls` onto the page and drops them there as a file manager would; true when the page
// took the drop.
bool drop(RepairPage& page, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre = page.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(&page, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    dropped.ignore();
    QCoreApplication::sendEvent(&page, &dropped);
    return dropped.isAccepted();
}

std::vector<fs::path> queuedFiles(const AppModel& model) {
    std::vector<fs::path> files;
    for (const FileRepairJob& job : model.repairJobs()) files.push_back(job.sourceURL);
    return files;
}

bool diagnosed(const AppModel& model) {
    return !model.isDiagnosingRepair() &&
           std::all_of(model.repairJobs().begin(), model.repairJobs().end(),
                       [](const FileRepairJob& job) { return job.diagnostic || job.errorMessage; });
}

class RepairPageDrop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveTool("zip")) GTEST_SKIP() << "zip is not installed";
        zip_ = damagedZip(folder_);
        pdf_ = folder_ / "letter.pdf";
        testing::writeTextPDF(pdf_, {"Dear reader"});
        model_.setLanguage("English");  // the tool tips are compared with the engines' English texts
        page_.resize(900, 600);
    }

    testing::TemporaryFolder folder_;
    fs::path zip_;
    fs::path pdf_;
    AppModel model_{testing::quietEngines()};
    RepairPage page_{model_};
};

TEST_F(RepairPageDrop, DroppedFilesJoinTheQueueOnceAndAreDiagnosed) {
    ASSERT_TRUE(drop(page_, {fileURL(zip_), fileURL(pdf_)}));
    EXPECT_EQ(queuedFiles(model_), (std::vector<fs::path>{zip_, pdf_}));
    ASSERT_TRUE(testing::eventually([&] { return diagnosed(model_); }));
    ASSERT_EQ(page_.queue()->topLevelItemCount(), 2);
    EXPECT_EQ(page_.queue()->topLevelItem(0)->text(0), "holiday photos.zip");
    EXPECT_EQ(page_.queue()->topLevelItem(1)->text(0), "letter.pdf");

    // The same file dropped again is not queued twice.
    drop(page_, {fileURL(zip_)});
    EXPECT_EQ(model_.repairJobs().size(), 2u);
}

TEST_F(RepairPageDrop, OnlyExistingFilesOfADropAreQueued) {
    const fs::path inner = folder_ / "inner";
    fs::create_directory(inner);
    // Only web addresses: nothing for the page to take.
    EXPECT_FALSE(drop(page_, {QUrl("https://example.org/report.pdf")}));
    // A folder and a missing file are local paths, taken by the page and skipped by the queue.
    drop(page_, {fileURL(inner), fileURL(folder_ / "gone.pdf")});
    EXPECT_TRUE(model_.repairJobs().empty());
    EXPECT_EQ(page_.queue()->topLevelItemCount(), 0);
    // In a mixed drop the file still arrives.
    ASSERT_TRUE(drop(page_, {QUrl("https://example.org/a.zip"), fileURL(inner), fileURL(pdf_)}));
    EXPECT_EQ(queuedFiles(model_), std::vector<fs::path>{pdf_});
    ASSERT_TRUE(testing::eventually([&] { return diagnosed(model_); }));
}

TEST_F(RepairPageDrop, CutOffFindingsAndStatusesCarryTheirFullTextAsATooltip) {
    ASSERT_TRUE(drop(page_, {fileURL(zip_)}));
    ASSERT_TRUE(testing::eventually([&] { return diagnosed(model_); }));
    const auto job = model_.selectedRepairJob();
    ASSERT_TRUE(job && job->diagnostic);
    const auto& findings = job->diagnostic->findings;
    ASSERT_EQ(page_.findings()->topLevelItemCount(), static_cast<int>(findings.size()));
    const auto longest = std::max_element(findings.begin(), findings.end(), [](const auto& a, const auto& b) {
        return a.detail.size() < b.detail.size();
    });
    ASSERT_NE(longest, findings.end());
    EXPECT_GT(longest->detail.size(), 40u);
    page_.findings()->setColumnWidth(2, 30);
    const QTreeWidgetItem* row = page_.findings()->topLevelItem(static_cast<int>(longest - findings.begin()));
    EXPECT_EQ(row->toolTip(2), toQString(longest->detail));
    EXPECT_EQ(row->toolTip(0), toQString(longest->title));
    EXPECT_EQ(row->toolTip(1), row->text(1));
    const QTreeWidgetItem* queued = page_.queue()->topLevelItem(0);
    EXPECT_EQ(queued->toolTip(2), toQString(job->statusText));
}

}  // namespace
}  // namespace tidewell
