#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QPushButton>

#include "support/eventually.h"
#include "ui/quiet_engines.h"
#include "ui/recovery_page.h"

namespace tidewell {
namespace {

AppModel::Engines enginesWith(const ExternalRecoveryVolume& volume) {
    AppModel::Engines engines = testing::quietEngines();
    engines.mountedExternalVolumes = [volume] { return std::vector<ExternalRecoveryVolume>{volume}; };
    return engines;
}

TEST(RecoveryPageDiskImage, TheDeletedFilesTabOffersAnImageOfAPartitionOnlyInEveryLanguage) {
    AppModel model(testing::quietEngines());
    model.setLanguage("English");  // the language is kept across the suite's cases
    RecoveryPage page(model);
    QPushButton* button = page.saveDiskImageButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget()->objectName(), "deleted");
    EXPECT_EQ(button->text(), "Save Disk Image…");
    EXPECT_FALSE(button->isEnabled());  // no source
    model.setLanguage("简体中文");
    EXPECT_EQ(button->text(), "保存磁盘映像…");
    model.setLanguage("Français");
    EXPECT_EQ(button->text(), "Enregistrer une image disque…");
    model.setLanguage("English");

    AppModel withCard(
        enginesWith({.id = "card", .name = "CARD", .mountURL = "/media/CARD", .deviceIdentifier = "sdb1"}));
    RecoveryPage cardPage(withCard);
    withCard.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return withCard.selectedRecoveryVolumeID().has_value(); }));
    EXPECT_TRUE(cardPage.saveDiskImageButton()->isEnabled());

    AppModel withFolder(enginesWith({.id = "folder#manual", .name = "Photos", .mountURL = "/home/me/Photos"}));
    RecoveryPage folderPage(withFolder);
    withFolder.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return withFolder.selectedRecoveryVolumeID().has_value(); }));
    EXPECT_FALSE(folderPage.saveDiskImageButton()->isEnabled());
}

TEST(RecoveryPageDiskImage, DeepScanSitsBesideScanForAPartitionInEveryLanguage) {
    AppModel withCard(enginesWith(
        {.id = "card", .name = "CARD", .mountURL = "/media/CARD", .deviceIdentifier = "sdb1", .fileSystem = "vfat"}));
    withCard.setLanguage("English");  // the language is kept across the suite's cases
    RecoveryPage page(withCard);
    QPushButton* button = page.deepScanButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget()->objectName(), "deleted");
    EXPECT_EQ(page.deleted().actions->indexOf(button), page.deleted().actions->indexOf(page.deleted().scan) + 1);
    EXPECT_EQ(button->text(), "Deep Scan");
    EXPECT_FALSE(button->isEnabled());  // no source yet
    withCard.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return withCard.selectedRecoveryVolumeID().has_value(); }));
    EXPECT_TRUE(button->isEnabled());
    withCard.setLanguage("简体中文");
    EXPECT_EQ(button->text(), "深度扫描");
    withCard.setLanguage("Español");
    EXPECT_EQ(button->text(), "Análisis profundo");
    withCard.setLanguage("English");

    AppModel withFolder(enginesWith({.id = "folder#manual", .name = "Photos", .mountURL = "/home/me/Photos"}));
    RecoveryPage folderPage(withFolder);
    withFolder.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return withFolder.selectedRecoveryVolumeID().has_value(); }));
    EXPECT_FALSE(folderPage.deepScanButton()->isEnabled());
}

}  // namespace
}  // namespace tidewell
