#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <memory>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "recovery/deleted/exfat_card_fixture.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "recovery/readable/external_recovery_engine.h"
#include "support/raw_helper_process.h"
#include "util/path_containment.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::workflowTimeout;
using testing::writeFile;
using Case = RecoveryScanState::Case;

// A temporary HOME, scripted panels and a recording desktop around the real recovery engines.
class RecoveryWorkflows : public ::testing::Test {
protected:
    testing::TemporaryHome home;
    testing::TemporaryFolder folder;
    testing::ScriptedDialogs dialogs;
    testing::RecordingDesktop desktop;

    void attach(AppModel& model) {
        model.setDialogs(&dialogs);
        model.setDesktop(&desktop);
    }

    // A folder source with a few readable files.
    fs::path makeSource(const std::string& name, int files = 3) const {
        const fs::path source = folder / name;
        for (int index = 0; index < files; ++index)
            writeFile(source / ("Photos/picture" + std::to_string(index) + ".jpg"), std::string(2000, 'p'));
        writeFile(source / "notes.txt", "some notes");
        return source;
    }

    // Picks `source` through the panel and waits until it is the selected source.
    void pick(AppModel& model, const fs::path& source) {
        dialogs.openAnswers.push_back({source});
        model.chooseRecoverySource();
        ASSERT_TRUE(testing::eventually([&] {
            return model.selectedRecoveryVolume() &&
                   model.selectedRecoveryVolume()->mountURL == standardizedPath(source);
        }));
    }
};

TEST_F(RecoveryWorkflows, AReadableScanOfAFolderSelectsEveryCandidate) {
    AppModel model;
    attach(model);
    const fs::path source = makeSource("Card");
    pick(model, source);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].title, "Choose a mounted recovery source");
    EXPECT_TRUE(dialogs.openRequests[0].canChooseDirectories);
    EXPECT_FALSE(dialogs.openRequests[0].canChooseFiles);
    EXPECT_TRUE(model.selectedRecoveryVolume()->isManuallySelected);

    QSignalSpy states(&model, &AppModel::recoveryScanStateChanged);
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::completed(); }));
    EXPECT_EQ(states.count(), 2);  // scanning, completed
    EXPECT_EQ(model.recoveryCandidates().size(), 4u);
    EXPECT_EQ(model.selectedRecoveryCandidates(), model.recoveryCandidates());
    ASSERT_TRUE(model.recoveryReport().has_value());
    EXPECT_EQ(model.recoveryReport()->candidatesFound, 4);
    EXPECT_EQ(model.recoveryStatusText(), std::nullopt);
    EXPECT_FALSE(model.showActionAlert());

    model.toggleRecoveryCandidate(model.recoveryCandidates().front());
    EXPECT_EQ(model.selectedRecoveryCandidates().size(), 3u);
    model.toggleRecoveryCandidate(model.recoveryCandidates().front());
    EXPECT_EQ(model.selectedRecoveryCandidates().size(), 4u);
}

TEST_F(RecoveryWorkflows, AnExportIntoTheSourceFailsWithTheEnginesTextAndAnotherFolderSucceeds) {
    AppModel model;
    attach(model);
    const fs::path source = makeSource("Card");
    pick(model, source);
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::completed(); }));

    std::string refusal;
    try {
        ExternalRecoveryEngine::exportCandidates(model.recoveryCandidates(), *model.selectedRecoveryVolume(),
                                                 source / "Photos");
    } catch (const ExternalRecoveryEngine::RecoveryError& error) {
        refusal = error.what();
    }
    ASSERT_FALSE(refusal.empty());
    dialogs.openAnswers.push_back({source / "Photos"});
    model.exportSelectedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::failed(refusal); }));
    EXPECT_EQ(*model.actionMessage(), "Could not export recovery files: " + refusal);
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    EXPECT_EQ(dialogs.openRequests.back().title, "Choose a different destination");
    EXPECT_TRUE(dialogs.openRequests.back().canCreateDirectories);
    EXPECT_TRUE(desktop.revealed.empty());

    const fs::path destination = folder / "Rescued";
    fs::create_directories(destination);
    dialogs.openAnswers.push_back({destination});
    model.exportSelectedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::completed(); }));
    EXPECT_EQ(*model.actionMessage(),
              "Exported 4 readable files to a separate recovery folder. The source volume was not changed.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_EQ(desktop.revealed.size(), 1u);
    EXPECT_TRUE(isPathInside(desktop.revealed[0].front(), destination));
    EXPECT_TRUE(fs::is_regular_file(desktop.revealed[0].front()));
    EXPECT_EQ(model.recoveryStatusText(), std::nullopt);
}

TEST_F(RecoveryWorkflows, PreconditionsAreReportedAsInformation) {
    AppModel model;
    attach(model);
    model.scanSelectedRecoveryVolume();
    EXPECT_EQ(*model.actionMessage(),
              "The selected source is no longer mounted. Reconnect it, choose it again, then scan.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::info);

    const fs::path source = makeSource("Card");
    pick(model, source);
    model.exportSelectedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] {
        return model.actionMessage() == std::optional<std::string>("Select at least one readable file to export.");
    }));
    model.exportSelectedDeletedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] {
        return model.actionMessage() ==
               std::optional<std::string>("Select at least one deleted-file candidate to export.");
    }));

    fs::remove_all(source);
    model.scanDeletedFiles();
    ASSERT_TRUE(testing::eventually([&] {
        return model.actionMessage() == std::optional<std::string>(
                                            "The selected FAT32 or exFAT source is no longer mounted. Reconnect it, "
                                            "choose it again, then scan.");
    }));
    EXPECT_EQ(model.deletedRecoveryScanState(), RecoveryScanState::idle());
}

TEST_F(RecoveryWorkflows, PressingScanTwiceScansOnce) {
    std::atomic<int> liveChecks = 0;
    AppModel::Engines engines = AppModel::realEngines();
    engines.refreshedVolume = [&](const ExternalRecoveryVolume& volume) {
        ++liveChecks;
        return ExternalRecoveryEngine::refreshedVolume(volume);
    };
    AppModel model(engines);
    attach(model);
    pick(model, makeSource("Card"));
    std::vector<RecoveryScanState> states;
    QObject::connect(&model, &AppModel::recoveryScanStateChanged, [&] { states.push_back(model.recoveryScanState()); });
    model.scanSelectedRecoveryVolume();
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::completed(); }));
    QTest::qWait(100);
    EXPECT_EQ(liveChecks, 1);
    EXPECT_EQ(states, (std::vector<RecoveryScanState>{RecoveryScanState::scanning(), RecoveryScanState::completed()}));
}

TEST_F(RecoveryWorkflows, SwitchingSourceDuringAScanDropsItsResult) {
    AppModel model;
    attach(model);
    const fs::path second = makeSource("Second");
    pick(model, second);
    const std::string secondID = model.selectedRecoveryVolume()->id;
    pick(model, makeSource("First", 200));
    // The first progress report of the scan switches back to the other source.
    bool switched = false;
    QObject::connect(&model, &AppModel::recoveryStatusTextChanged, [&] {
        if (switched || !model.recoveryStatusText() || model.recoveryStatusText()->find('%') == std::string::npos)
            return;
        switched = true;
        model.selectRecoveryVolume(secondID);
    });
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return switched; }));
    EXPECT_EQ(model.recoveryScanState(), RecoveryScanState::idle());
    QTest::qWait(300);
    EXPECT_EQ(model.recoveryScanState(), RecoveryScanState::idle());
    EXPECT_TRUE(model.recoveryCandidates().empty());
    EXPECT_EQ(model.recoveryReport(), std::nullopt);
    EXPECT_EQ(model.selectedRecoveryVolumeID(), secondID);
    EXPECT_FALSE(model.showActionAlert());

    // Selecting the current source again keeps its results.
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return model.recoveryScanState() == RecoveryScanState::completed(); }));
    model.selectRecoveryVolume(secondID);
    EXPECT_EQ(model.recoveryCandidates().size(), 4u);
}

TEST_F(RecoveryWorkflows, CancellingAScanReturnsToIdleWithoutAMessage) {
    AppModel model;
    attach(model);
    pick(model, makeSource("Card"));
    // Cancelled as soon as the scan has its token, before the engine visits anything.
    QObject::connect(&model, &AppModel::recoveryStatusTextChanged, [&] {
        if (model.recoveryStatusText() && model.recoveryStatusText()->starts_with("Preparing a read-only scan of "))
            model.cancelRecoveryScan();
    });
    std::vector<RecoveryScanState> states;
    QObject::connect(&model, &AppModel::recoveryScanStateChanged, [&] { states.push_back(model.recoveryScanState()); });
    model.scanSelectedRecoveryVolume();
    ASSERT_TRUE(testing::eventually([&] { return states.size() == 2; }));
    EXPECT_EQ(states, (std::vector<RecoveryScanState>{RecoveryScanState::scanning(), RecoveryScanState::idle()}));
    EXPECT_FALSE(model.showActionAlert());
    EXPECT_EQ(model.recoveryStatusText(), std::nullopt);
    EXPECT_TRUE(model.recoveryCandidates().empty());
}

// An exFAT card served by the real helper on a temporary socket, offered as a mounted source.
class DeletedRecoveryWorkflows : public RecoveryWorkflows {
protected:
    void SetUp() override { PrivilegedDiskReader::resetInstallationState(); }
    void TearDown() override { PrivilegedDiskReader::resetInstallationState(); }

    fs::path socket() const { return folder / "helper.sock"; }

    ExternalRecoveryVolume cardVolume(const std::string& fileSystem) const {
        fs::create_directories(folder / "mnt");
        return {.id = (folder / "mnt").string() + "#sdz1",
                .name = "CARD",
                .mountURL = folder / "mnt",
                .deviceIdentifier = "sdz1",
                .fileSystem = fileSystem,
                .isRemovable = true};
    }

    AppModel::Engines cardEngines(const ExternalRecoveryVolume& volume) const {
        AppModel::Engines engines = AppModel::realEngines();
        engines.mountedExternalVolumes = [volume] { return std::vector<ExternalRecoveryVolume>{volume}; };
        engines.refreshedVolume = [](const ExternalRecoveryVolume& listed) { return listed; };
        return engines;
    }

    // Serves the image as the card's device through the real helper.
    std::unique_ptr<testing::RawHelperProcess> serve(const fs::path& image) const {
        fs::create_directories(folder / "dev");
        fs::copy_file(image, folder / "dev/sdz1");
        return std::make_unique<testing::RawHelperProcess>(socket(), folder / "dev");
    }

    // Attaches the panels and desktop and waits until the model selected the card.
    void selectCard(AppModel& model) {
        attach(model);
        model.refreshRecoveryVolumes();
        ASSERT_TRUE(testing::eventually([&] { return model.selectedRecoveryVolumeID().has_value(); }));
    }

    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", socket().string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
};

TEST_F(DeletedRecoveryWorkflows, AnExFATSourceIsScannedByTheExFATEngineThroughTheHelper) {
    testing::ScopedEnvironment macos{platform::layoutVariable, "macos"};
    testing::ExFATCard card;
    auto helper = serve(card.image.path());
    AppModel model(cardEngines(cardVolume("ExFAT")));
    selectCard(model);
    if (HasFatalFailure()) return;

    std::vector<std::string> statuses;
    QObject::connect(&model, &AppModel::deletedRecoveryStatusTextChanged, [&] {
        if (model.deletedRecoveryStatusText()) statuses.push_back(*model.deletedRecoveryStatusText());
    });
    model.scanDeletedFiles();
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }));
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses[0], "Waiting for macOS administrator approval to read CARD");
    EXPECT_EQ(statuses[1], "Reading deleted-file records from CARD");
    const auto& candidates = model.deletedRecoveryCandidates();
    ASSERT_FALSE(candidates.empty());
    for (const auto& candidate : candidates) EXPECT_EQ(candidate.sourceFormat, "exFAT");
    EXPECT_EQ(*model.deletedRecoveryStatusText(),
              "Scan complete · found " + std::to_string(candidates.size()) + " deleted-file candidate(s)");
    ASSERT_TRUE(model.deletedRecoveryReport().has_value());
    for (const auto& candidate : candidates)
        EXPECT_EQ(model.selectedDeletedRecoveryCandidateIDs().contains(candidate.id),
                  candidate.confidence == DeletedRecovery::Confidence::high && candidate.contentIsValidated)
            << candidate.name;
    ASSERT_FALSE(model.selectedDeletedRecoveryCandidates().empty());

    const fs::path destination = folder / "Rescued";
    fs::create_directories(destination);
    dialogs.openAnswers.push_back({destination});
    ASSERT_FALSE(model.actionMessage().has_value());
    model.exportSelectedDeletedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.actionMessage().has_value(); }));
    EXPECT_EQ(model.deletedRecoveryScanState(), RecoveryScanState::completed());
    ASSERT_EQ(desktop.revealed.size(), 1u) << *model.actionMessage();
    const std::string count = std::to_string(model.selectedDeletedRecoveryCandidates().size());
    EXPECT_EQ(*model.deletedRecoveryStatusText(), "Recovered " + count + " file(s) to a separate destination");
    EXPECT_EQ(*model.actionMessage(), "Recovered " + count +
                                          " deleted-file candidate(s) to a separate folder. Verify the recovered "
                                          "files before relying on them; the source was not changed.");
    EXPECT_TRUE(isPathInside(desktop.revealed[0].front(), destination));
}

TEST_F(DeletedRecoveryWorkflows, ACardWithoutDeletedEntriesCompletesWithAnExplanation) {
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    testing::ExFATImage image;
    auto helper = serve(image.path());
    AppModel model(cardEngines(cardVolume("exfat")));
    selectCard(model);
    if (HasFatalFailure()) return;
    std::vector<std::string> statuses;
    QObject::connect(&model, &AppModel::deletedRecoveryStatusTextChanged, [&] {
        if (model.deletedRecoveryStatusText()) statuses.push_back(*model.deletedRecoveryStatusText());
    });
    model.scanDeletedFiles();
    ASSERT_TRUE(testing::eventually([&] { return model.showActionAlert(); }));
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses[0], "Waiting for administrator approval to read CARD");
    EXPECT_EQ(model.deletedRecoveryScanState(), RecoveryScanState::completed());
    EXPECT_TRUE(model.deletedRecoveryCandidates().empty());
    EXPECT_EQ(model.deletedRecoveryStatusText(), "Scan complete · no recoverable deleted entries found");
    EXPECT_EQ(model.actionMessage(),
              "No recoverable deleted FAT32 or exFAT directory entries were found. Files may have been overwritten, "
              "stored without a surviving directory record, or use a format Tidewell does not yet support.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::info);
}

TEST_F(DeletedRecoveryWorkflows, AFAT32FileIsShownAndExportedUnderItsLongName) {
    testing::FAT32Image card;
    const auto pdf = testing::SampleFiles::pdf();
    card.makeDirectory("/DCIM");
    card.write("/DCIM/Holiday at the sea.pdf", pdf);
    card.remove("/DCIM/Holiday at the sea.pdf");
    auto helper = serve(card.path());
    AppModel model(cardEngines(cardVolume("vfat")));
    selectCard(model);
    if (HasFatalFailure()) return;
    model.scanDeletedFiles();
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }));
    ASSERT_EQ(model.deletedRecoveryCandidates().size(), 1u);
    const DeletedRecovery::Candidate candidate = model.deletedRecoveryCandidates().front();
    EXPECT_EQ(candidate.displayName(), "Holiday at the sea.pdf");
    EXPECT_EQ(candidate.name, "_OLIDA~1.pdf");

    model.toggleDeletedRecoveryCandidate(candidate);  // a PDF cannot validate, so it starts unselected
    const fs::path destination = folder / "Rescued";
    fs::create_directories(destination);
    dialogs.openAnswers.push_back({destination});
    model.exportSelectedDeletedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.actionMessage().has_value(); }));
    ASSERT_EQ(desktop.revealed.size(), 1u) << *model.actionMessage();
    const fs::path exported = desktop.revealed[0].front();
    EXPECT_EQ(exported.filename(), "Holiday at the sea.pdf");
    EXPECT_EQ(testing::fileBytes(exported), pdf);
}

TEST_F(DeletedRecoveryWorkflows, AFailedStartIsShownOnceAsAFailure) {
    // No helper answers and no administrator tool exists: preparing authorization fails.
    AppModel model(cardEngines(cardVolume("ExFAT")));
    attach(model);
    model.refreshRecoveryVolumes();
    ASSERT_TRUE(testing::eventually([&] { return model.selectedRecoveryVolumeID().has_value(); }));
    model.scanDeletedFiles();
    ASSERT_TRUE(testing::eventually([&] { return model.deletedRecoveryScanState().stateCase() == Case::failed; }));
    const std::string description = model.deletedRecoveryScanState().message();
    EXPECT_EQ(*model.deletedRecoveryStatusText(), "Scan could not start · " + description);
    EXPECT_EQ(*model.actionMessage(), "Could not inspect deleted files: " + description);
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
}

}  // namespace
}  // namespace tidewell
