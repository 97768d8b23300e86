#include <gtest/gtest.h>

#include "recovery/deleted/exfat_card_fixture.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "support/raw_helper_process.h"

namespace tidewell {
namespace {

// A card "inserted" as partition sdz1: its image sits in the helper's device
// folder and the real helper serves it on a temporary socket.
class LiveVolumeRecovery : public ::testing::Test {
protected:
    void SetUp() override { PrivilegedDiskReader::resetInstallationState(); }
    void TearDown() override { PrivilegedDiskReader::resetInstallationState(); }

    ExternalRecoveryVolume insert(const std::filesystem::path& image, const std::string& fileSystem) {
        std::filesystem::create_directories(folder / "dev");
        std::filesystem::copy_file(image, folder / "dev" / "sdz1");
        std::filesystem::create_directories(folder / "media" / "CARD");
        return {.id = "card#sdz1",
                .name = "CARD",
                .mountURL = folder / "media" / "CARD",
                .deviceIdentifier = "sdz1",
                .fileSystem = fileSystem};
    }

    // Every file an export wrote, by name, with its bytes.
    static std::map<std::string, std::string> exported(const std::vector<std::filesystem::path>& files) {
        std::map<std::string, std::string> contents;
        for (const auto& file : files) contents[file.filename().string()] = testing::readFile(file);
        return contents;
    }

    testing::TemporaryFolder folder;
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
};

TEST_F(LiveVolumeRecovery, FAT32ThroughTheHelperMatchesTheImagePath) {
    testing::FAT32Image card;
    testing::fillCameraCard(card);
    auto volume = insert(card.path(), "vfat");
    testing::RawHelperProcess helper(folder / "helper.sock", folder / "dev");

    auto fromImage = FATDeletedRecoveryEngine::scanImage(card.path(), "CARD").first;
    auto live = FATDeletedRecoveryEngine::scan(volume).first;
    ASSERT_FALSE(live.empty());
    EXPECT_EQ(live, fromImage);

    testing::TemporaryFolder viaImage, viaHelper;
    auto expected = FATDeletedRecoveryEngine::exportImage(fromImage, card.path(), "CARD", viaImage.path());
    auto written = FATDeletedRecoveryEngine::exportCandidates(live, volume, viaHelper.path());
    EXPECT_EQ(exported(written), exported(expected));
}

TEST_F(LiveVolumeRecovery, ExFATThroughTheHelperMatchesTheImagePath) {
    testing::ExFATCard card;
    auto volume = insert(card.image.path(), "exfat");
    testing::RawHelperProcess helper(folder / "helper.sock", folder / "dev");

    auto fromImage = ExFATDeletedRecoveryEngine::scanImage(card.image.path(), "CARD").first;
    auto live = ExFATDeletedRecoveryEngine::scan(volume).first;
    ASSERT_FALSE(live.empty());
    EXPECT_EQ(live, fromImage);

    testing::TemporaryFolder viaImage, viaHelper;
    auto expected = ExFATDeletedRecoveryEngine::exportImage(fromImage, card.image.path(), "CARD", viaImage.path());
    auto written = ExFATDeletedRecoveryEngine::exportCandidates(live, volume, viaHelper.path());
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(exported(written), exported(expected));
}

}  // namespace
}  // namespace tidewell
