#include "ui/repair_page.h"

#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "firstaid/firstaid_fixtures.h"
#include "support/eventually.h"
#include "support/pdf_fixture.h"
#include "support/temporary_folder.h"
#include "ui/preview_tiles.h"
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

const QTreeWidgetItem* findingRow(const QTreeWidget* findings, const QString& title) {
    for (int row = 0; row < findings->topLevelItemCount(); ++row)
        if (findings->topLevelItem(row)->text(0) == title) return findings->topLevelItem(row);
    return nullptr;
}

TEST_F(RepairPageDrop, TheSelectedFileShowsItsTilesToolNotesAndOneLineFindings) {
    // A whole archive followed by other bytes: its entries still list, and unzip's test
    // complains over several lines.
    const fs::path glued =
        testing::makeZip(folder_ / "glued.zip", {{"pics/beach_01.jpg", std::string(5000, 'b')}, {"notes.txt", "n"}});
    testing::appendJunk(glued, 2'500'000);
    ASSERT_TRUE(drop(page_, {fileURL(glued)}));
    ASSERT_TRUE(testing::eventually([&] { return diagnosed(model_); }));
    const auto job = model_.selectedRepairJob();
    ASSERT_TRUE(job && job->diagnostic);
    const FileRepairDiagnostic& diagnostic = *job->diagnostic;

    const PreviewTiles* tiles = page_.preview();
    ASSERT_EQ(tiles->count(), static_cast<int>(diagnostic.previewItems.size()));
    ASSERT_EQ(tiles->count(), 4);
    EXPECT_TRUE(tiles->isVisibleTo(&page_));
    for (int row = 0; row < tiles->count(); ++row) {
        const RepairPreviewItem& item = diagnostic.previewItems[std::size_t(row)];
        EXPECT_EQ(tiles->titleText(row), toQString(item.title));
        EXPECT_EQ(tiles->detailText(row), toQString(item.detail));
        const QWidget* tile = tiles->itemWidget(tiles->item(row));
        EXPECT_FALSE(tile->findChild<QLabel*>("previewIcon")->pixmap().isNull()) << item.systemImage;
        EXPECT_EQ(tile->toolTip(), toQString(item.title + "\n" + item.detail));
    }
    EXPECT_EQ(tiles->titleText(2), "Beach 01.jpg");
    EXPECT_EQ(tiles->detailText(2), "pics/beach_01.jpg");
    ASSERT_EQ(diagnostic.toolNotes.size(), 3u);
    for (const std::string& note : diagnostic.toolNotes)
        EXPECT_TRUE(page_.toolNotes()->text().contains(toQString(note))) << page_.toolNotes()->text().toStdString();

    const auto test = std::find_if(diagnostic.findings.begin(), diagnostic.findings.end(),
                                   [](const RepairFinding& finding) { return finding.title == "Archive test"; });
    ASSERT_NE(test, diagnostic.findings.end());
    ASSERT_NE(test->detail.find('\n'), std::string::npos);
    const QTreeWidgetItem* row = findingRow(page_.findings(), "Archive test");
    ASSERT_NE(row, nullptr);
    const QString shown = row->text(2);
    EXPECT_FALSE(shown.contains('\n'));
    EXPECT_FALSE(shown.contains("  "));
    EXPECT_LE(shown.size(), 160);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…"))) << shown.toStdString();
    EXPECT_TRUE(toQString(test->detail).simplified().startsWith(shown.chopped(1)));
    EXPECT_EQ(row->toolTip(2), toQString(test->detail));
    // A short detail is shown whole.
    EXPECT_EQ(findingRow(page_.findings(), "Readable entries")->text(2), "2 entries listed.");

    // The fixed tile titles read in Chinese; names taken from the file do not change.
    model_.setLanguage("简体中文");
    EXPECT_EQ(tiles->titleText(0), "文件包");
    EXPECT_EQ(tiles->titleText(1), "可读条目");
    EXPECT_EQ(tiles->titleText(2), "Beach 01.jpg");
    // The choice is stored for the rest of the run.
    model_.setLanguage("English");

    // Without a selected file there is nothing to show.
    model_.removeRepairJob(*job);
    EXPECT_EQ(tiles->count(), 0);
    EXPECT_FALSE(tiles->isVisibleTo(&page_));
    EXPECT_FALSE(page_.toolNotes()->isVisibleTo(&page_));
}

}  // namespace
}  // namespace tidewell
