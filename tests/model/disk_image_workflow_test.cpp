#include <unistd.h>

#include <gtest/gtest.h>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "support/raw_helper_process.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

// A read-only loop device offered as a mounted removable source, read by the real helper.
class DiskImageWorkflow : public ::testing::Test {
protected:
    void SetUp() override {
        PrivilegedDiskReader::resetInstallationState();
        std::string bytes(8 << 20, '\0');
        for (std::size_t index = 0; index < bytes.size(); ++index) bytes[index] = char(index * 7 >> 9);
        testing::writeFile(folder / "card.bin", bytes);
        std::string output;
        if (::geteuid() != 0 ||
            testing::runTool("losetup", {"-f", "--show", "-r", (folder / "card.bin").string()}, &output) != 0)
            GTEST_SKIP() << "losetup needs root and loop devices, which this machine does not give";
        loop = output.substr(0, output.find('\n'));
    }
    void TearDown() override {
        if (!loop.empty()) testing::runTool("losetup", {"-d", loop});
        PrivilegedDiskReader::resetInstallationState();
    }

    AppModel::Engines engines() const {
        fs::create_directories(folder / "mnt");
        const ExternalRecoveryVolume volume{.id = "card",
                                            .name = "CARD",
                                            .mountURL = folder / "mnt",
                                            .deviceIdentifier = fs::path(loop).filename().string(),
                                            .fileSystem = "vfat",
                                            .isRemovable = true};
        AppModel::Engines engines = AppModel::realEngines();
        engines.mountedExternalVolumes = [volume] { return std::vector<ExternalRecoveryVolume>{volume}; };
        engines.refreshedVolume = [](const ExternalRecoveryVolume& listed) { return listed; };
        return engines;
    }

    testing::TemporaryHome home;
    testing::TemporaryFolder folder;
    testing::ScriptedDialogs dialogs;
    std::string loop;
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
};

TEST_F(DiskImageWorkflow, TheSelectedPartitionIsSavedAsAnImageOutsideItsMount) {
    testing::RawHelperProcess helper(folder / "helper.sock", "/dev");
    AppModel model(engines());
    model.setDialogs(&dialogs);
    model.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return model.selectedRecoveryVolumeID().has_value(); }));

    dialogs.saveAnswers.push_back(folder / "mnt" / "card.img");
    model.saveDeletedRecoveryDiskImage();
    ASSERT_TRUE(testing::eventually([&] { return model.actionMessage().has_value(); }));
    EXPECT_EQ(*model.actionMessage(),
              "Could not save a disk image of CARD: Choose a place outside CARD for the image, because Tidewell never "
              "writes to the source.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].title, "Save Disk Image");
    EXPECT_EQ(dialogs.saveRequests[0].suggestedName, "CARD.img");
    ASSERT_TRUE(testing::eventually([&] { return !model.deletedRecoveryScanState().isBusy(); }));

    model.setShowActionAlert(false);
    dialogs.saveAnswers.push_back(folder / "card.img");
    model.saveDeletedRecoveryDiskImage();
    ASSERT_TRUE(testing::eventually([&] { return model.deletedRecoveryStatusText() == "Disk image saved"; }));
    EXPECT_EQ(*model.actionMessage(),
              "Saved a disk image of CARD to " + (folder / "card.img").string() + ". The source was not changed.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    EXPECT_EQ(testing::readFile(folder / "card.img"), testing::readFile(folder / "card.bin"));
    EXPECT_EQ(model.deletedRecoveryScanState(), RecoveryScanState::idle());
}

}  // namespace
}  // namespace tidewell
