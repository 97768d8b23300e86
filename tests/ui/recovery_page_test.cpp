#include "ui/recovery_page.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "recovery/deleted/disk_image_fixture.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "recovery/deleted/quick_format_fixture.h"
#include "support/eventually.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"
#include "ui/quiet_engines.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

TEST(RecoveryPage, ListsADeletedFAT32FileByItsLongName) {
    PrivilegedDiskReader::resetInstallationState();
    testing::TemporaryFolder folder;
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
    testing::FAT32Image card;
    card.write("/Holiday at the sea.pdf", testing::SampleFiles::pdf());
    card.remove("/Holiday at the sea.pdf");
    fs::create_directories(folder / "dev");
    fs::copy_file(card.path(), folder / "dev/sdz1");
    testing::RawHelperProcess helper(folder / "helper.sock", folder / "dev");

    fs::create_directories(folder / "mnt");
    const ExternalRecoveryVolume volume{.id = (folder / "mnt").string() + "#sdz1",
                                        .name = "CARD",
                                        .mountURL = folder / "mnt",
                                        .deviceIdentifier = "sdz1",
                                        .fileSystem = "vfat",
                                        .isRemovable = true};
    AppModel::Engines engines = testing::quietEngines();
    engines.mountedExternalVolumes = [volume] { return std::vector<ExternalRecoveryVolume>{volume}; };
    engines.refreshedVolume = [](const ExternalRecoveryVolume& listed) { return listed; };
    AppModel model(engines);
    RecoveryPage page(model);
    model.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return model.selectedRecoveryVolumeID().has_value(); }));
    model.scanDeletedFiles();
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }));

    QTreeWidget* rows = page.deleted().candidates;
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    EXPECT_EQ(rows->topLevelItem(0)->text(0).toStdString(), "Holiday at the sea.pdf");
    PrivilegedDiskReader::resetInstallationState();
}

TEST(RecoveryPage, OpensADiskImageAndScansThePartitionChosenInItsPicker) {
    testing::TemporaryHome home;
    testing::PartitionedDisk disk;
    testing::ScriptedDialogs dialogs;
    AppModel model(testing::quietEngines());
    model.setDialogs(&dialogs);
    RecoveryPage page(model);
    auto* open = page.findChild<QPushButton*>("deletedOpenImage");
    auto* picker = page.findChild<QComboBox*>("deletedImagePartitions");
    auto* scan = page.findChild<QPushButton*>("deletedScanPartition");
    ASSERT_TRUE(open && picker && scan);
    EXPECT_TRUE(picker->isHidden());

    model.setLanguage("简体中文");
    EXPECT_EQ(open->text(), "打开磁盘映像…");
    dialogs.openAnswers.push_back({disk.path});
    open->click();
    ASSERT_TRUE(testing::eventually([&] { return picker->count() == 2; }));
    EXPECT_FALSE(picker->isHidden());
    EXPECT_EQ(picker->itemText(1), "分区 2 · exFAT · 33.6 MB");
    EXPECT_EQ(scan->text(), "扫描分区");

    picker->setCurrentIndex(1);
    scan->click();
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }));
    EXPECT_EQ(page.deleted().candidates->topLevelItemCount(), 3);
    EXPECT_EQ(model.deletedRecoveryImageSourceName(), "disk.img partition 2");
}

// What the Deleted Files tab shows is read as each status change arrives: the running
// count by kind, in the chosen language, before the deep scan ends.
TEST(RecoveryPage, ShowsTheRunningCountByKindWhileADeepScanCarves) {
    testing::TemporaryHome home;
    testing::FAT32Image card;
    testing::fillRootAndQuickFormat(card);
    testing::ScriptedDialogs dialogs;
    AppModel model(testing::quietEngines());
    model.setDialogs(&dialogs);
    model.setLanguage("简体中文");
    RecoveryPage page(model);
    dialogs.openAnswers.push_back({card.path()});
    model.openDiskImage();
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }));

    std::vector<QString> shown;
    QObject::connect(&model, &AppModel::deletedRecoveryStatusTextChanged, [&] {
        if (model.deletedRecoveryScanState() == RecoveryScanState::scanning())
            shown.push_back(page.deleted().status->text());
    });
    page.deepScanButton()->click();
    ASSERT_TRUE(testing::eventually([&] {
        return model.deletedRecoveryScanState() == RecoveryScanState::completed() &&
               !model.deletedRecoveryCandidates().empty();
    }));
    const QString running = QStringLiteral("在 2 个文件夹中找到 0 个文件 · 正在根据内容查找文件 · JPEG 1 · PNG 1");
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const QString& text) { return text.endsWith(running); }))
        << (shown.empty() ? std::string("nothing shown") : shown.back().toStdString());
    EXPECT_TRUE(page.deleted().status->text().endsWith(QStringLiteral("已根据内容提取 3 个文件")))
        << page.deleted().status->text().toStdString();
    model.setLanguage("English");
}

}  // namespace
}  // namespace tidewell
