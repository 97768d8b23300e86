#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "recovery/deleted/disk_image_fixture.h"
#include "support/eventually.h"
#include "ui/quiet_engines.h"
#include "ui/recovery_page.h"

namespace tidewell {
namespace {

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

}  // namespace
}  // namespace tidewell
