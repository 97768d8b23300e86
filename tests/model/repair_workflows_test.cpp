#include <gtest/gtest.h>

#include <QSignalSpy>

#include "firstaid/repair_history_store.h"
#include "model/app_model.h"
#include "model/repair_batch.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

// A temporary HOME with a few files to repair, scripted panels and a recording desktop.
class RepairQueue : public ::testing::Test {
protected:
    testing::TemporaryHome home;
    testing::TemporaryFolder folder;
    testing::ScriptedDialogs dialogs;
    testing::RecordingDesktop desktop;

    fs::path pdf(const std::string& name) const {
        const fs::path path = folder / name;
        testing::writeTextPDF(path, {"First page", "Second page"});
        return path;
    }

    void attach(AppModel& model) {
        model.setDialogs(&dialogs);
        model.setDesktop(&desktop);
    }

    static void waitForDiagnosis(AppModel& model) {
        ASSERT_TRUE(testing::eventually([&] {
            return !model.isDiagnosingRepair() &&
                   std::none_of(model.repairJobs().begin(), model.repairJobs().end(),
                                [](const FileRepairJob& job) { return job.phase == RepairTaskPhase::queued; });
        }));
    }
};

TEST_F(RepairQueue, TakesTheSameFileOnceAndDiagnosesIt) {
    const fs::path report = pdf("report.pdf");
    fs::create_directories(folder / "Folder");
    AppModel model;
    attach(model);
    QSignalSpy diagnosing(&model, &AppModel::isDiagnosingRepairChanged);
    model.addRepairFiles({report, report, folder / "." / "report.pdf", folder / "Folder", folder / "missing.pdf"});
    ASSERT_EQ(model.repairJobs().size(), 1u);
    const std::string id = model.repairJobs().front().id;
    EXPECT_EQ(model.selectedRepairJobID(), id);
    EXPECT_EQ(model.repairSelectedURL(), report);
    EXPECT_TRUE(model.isDiagnosingRepair());
    EXPECT_EQ(model.repairJobs().front().phase, RepairTaskPhase::diagnosing);
    EXPECT_EQ(model.repairJobs().front().statusText, "Inspecting structure");
    EXPECT_EQ(model.repairStatusText(), "Diagnosing report.pdf");
    waitForDiagnosis(model);

    const FileRepairJob& job = model.repairJobs().front();
    EXPECT_EQ(job.phase, RepairTaskPhase::ready);
    EXPECT_EQ(job.statusText, "Ready to repair");
    EXPECT_EQ(job.progress, 1.0);
    ASSERT_TRUE(job.diagnostic.has_value());
    EXPECT_EQ(model.repairDiagnostic(), job.diagnostic);
    EXPECT_EQ(model.readyRepairJobCount(), 1);
    EXPECT_EQ(model.repairStatusText(), std::nullopt);
    EXPECT_EQ(diagnosing.count(), 2);

    model.addRepairFiles({report});
    EXPECT_EQ(model.repairJobs().size(), 1u);
    EXPECT_FALSE(model.isDiagnosingRepair());
}

TEST_F(RepairQueue, FilesThatCannotBeRepairedOrReadFailWithTheirReason) {
    writeFile(folder / "notes.txt", "plain words");
    writeFile(folder / "empty.pdf", "");
    AppModel model;
    attach(model);
    model.addRepairFiles({folder / "notes.txt", folder / "empty.pdf"});
    waitForDiagnosis(model);
    ASSERT_EQ(model.repairJobs().size(), 2u);
    const FileRepairJob& unsupported = model.repairJobs()[0];
    EXPECT_EQ(unsupported.phase, RepairTaskPhase::failed);
    EXPECT_EQ(unsupported.statusText, unsupported.diagnostic->recommendedAction);
    EXPECT_EQ(unsupported.progress, 0.35);
    const FileRepairJob& empty = model.repairJobs()[1];
    EXPECT_EQ(empty.phase, RepairTaskPhase::failed);
    EXPECT_EQ(empty.statusText, "Diagnosis failed");
    EXPECT_EQ(empty.progress, 0);
    EXPECT_EQ(empty.errorMessage, "This file is empty.");
    EXPECT_EQ(model.actionMessage(), "Could not diagnose empty.pdf: This file is empty.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    EXPECT_EQ(model.readyRepairJobCount(), 0);
    // The first job stays selected with its diagnostic.
    EXPECT_EQ(model.selectedRepairJobID(), unsupported.id);
    EXPECT_EQ(model.repairDiagnostic(), unsupported.diagnostic);
}

TEST_F(RepairQueue, FilesAddedDuringADiagnosisAreDiagnosedToo) {
    AppModel model;
    attach(model);
    model.addRepairFiles({pdf("one.pdf")});
    ASSERT_TRUE(model.isDiagnosingRepair());
    model.addRepairFiles({pdf("two.pdf")});
    waitForDiagnosis(model);
    ASSERT_EQ(model.repairJobs().size(), 2u);
    EXPECT_EQ(model.repairJobs()[1].phase, RepairTaskPhase::ready);
    EXPECT_EQ(model.readyRepairJobCount(), 2);
}

TEST_F(RepairQueue, SelectingAndRemovingJobsMovesTheSelection) {
    AppModel model;
    attach(model);
    model.addRepairFiles({pdf("one.pdf"), pdf("two.pdf"), pdf("three.pdf")});
    waitForDiagnosis(model);
    const std::vector<FileRepairJob> jobs = model.repairJobs();
    model.selectRepairJob(jobs[1]);
    EXPECT_EQ(model.selectedRepairJob(), jobs[1]);
    EXPECT_EQ(model.repairSelectedURL(), jobs[1].sourceURL);
    EXPECT_EQ(model.repairDiagnostic(), jobs[1].diagnostic);

    model.removeRepairJob(jobs[2]);
    EXPECT_EQ(model.selectedRepairJobID(), jobs[1].id);
    model.removeRepairJob(jobs[1]);
    EXPECT_EQ(model.selectedRepairJobID(), jobs[0].id);
    EXPECT_EQ(model.repairSelectedURL(), jobs[0].sourceURL);
    model.removeRepairJob(jobs[0]);
    EXPECT_TRUE(model.repairJobs().empty());
    EXPECT_EQ(model.selectedRepairJobID(), std::nullopt);
    EXPECT_EQ(model.repairSelectedURL(), std::nullopt);
    EXPECT_EQ(model.repairDiagnostic(), std::nullopt);
    EXPECT_EQ(model.selectedRepairJob(), std::nullopt);
}

TEST_F(RepairQueue, ThePanelQueuesTheChosenFiles) {
    const fs::path one = pdf("one.pdf");
    const fs::path two = pdf("two.pdf");
    AppModel model;
    attach(model);
    dialogs.openAnswers.push_back({one, two});
    model.chooseRepairFile();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const Dialogs::OpenRequest& request = dialogs.openRequests.front();
    EXPECT_EQ(request.title, "Choose files to diagnose");
    EXPECT_EQ(request.message, "Tidewell will inspect files locally. Originals will not be changed.");
    EXPECT_TRUE(request.allowsMultipleSelection);
    EXPECT_FALSE(request.canChooseDirectories);
    EXPECT_FALSE(request.allowedContentTypes.empty());
    EXPECT_EQ(model.repairJobs().size(), 2u);
    waitForDiagnosis(model);

    model.chooseRepairFile();  // a cancelled panel adds nothing
    EXPECT_EQ(model.repairJobs().size(), 2u);
}

TEST_F(RepairQueue, RemovedOutputsAreReportedInsteadOfShown) {
    const fs::path output = pdf("report-repaired.pdf");
    AppModel model;
    attach(model);
    model.revealRepairOutput(output);
    model.openRepairOutput(output);
    EXPECT_EQ(desktop.revealed, (std::vector<std::vector<fs::path>>{{output}}));
    EXPECT_EQ(desktop.opened, (std::vector<fs::path>{output}));
    EXPECT_FALSE(model.showActionAlert());

    fs::remove(output);
    model.openRepairOutput(output);
    EXPECT_EQ(model.actionMessage(), "This repaired copy is no longer available at its saved location.");
    EXPECT_EQ(desktop.opened.size(), 1u);
}

TEST_F(RepairQueue, TheHistoryIsLoadedAtConstructionAndClearedForGood) {
    const RepairHistoryRecord record{.id = "2B1F7E64-2D0C-4A55-9C31-5C9B9F0C2A11",
                                     .sourceName = "report.pdf",
                                     .outputName = "report-repaired.pdf",
                                     .kindRawValue = "PDF",
                                     .stateRawValue = "Repaired",
                                     .sourceSizeBytes = 4096,
                                     .outputSizeBytes = 4096,
                                     .completedAt = std::chrono::system_clock::now(),
                                     .message = "Rebuilt the PDF."};
    RepairHistoryStore::save({record});
    AppModel model;
    ASSERT_EQ(model.repairHistory().size(), 1u);
    EXPECT_EQ(model.repairHistory().front().id, record.id);
    QSignalSpy changed(&model, &AppModel::repairHistoryChanged);
    model.clearRepairHistory();
    EXPECT_TRUE(model.repairHistory().empty());
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(AppModel().repairHistory().empty());
}

TEST_F(RepairQueue, CancellingWithoutARunningExportChangesNothing) {
    AppModel model;
    QSignalSpy cancelled(&model, &AppModel::repairCancelled);
    model.cancelRepair();
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_EQ(model.repairStatusText(), std::nullopt);
}

}  // namespace
}  // namespace tidewell

namespace tidewell {
namespace {

TEST(RepairBatch, TellsHowManyCopiesWereWrittenAndWhatFailed) {
    RepairBatch batch{.folder = "/out", .exported = 1};
    EXPECT_EQ(batch.message(), "Exported 1 repaired copy to /out.");
    batch.exported = 2;
    batch.failedNames = {"a.pdf", "b.jpg"};
    EXPECT_EQ(batch.message(), "Exported 2 repaired copies to /out. Could not repair: a.pdf, b.jpg.");
    batch.cancelled = true;
    EXPECT_EQ(batch.message(), "Batch repair cancelled. Exported 2 repaired copies before cancellation.");
    batch.exported = 0;
    EXPECT_EQ(batch.message(), "Batch repair cancelled. Exported 0 repaired copies before cancellation.");
    EXPECT_EQ(RepairBatch::startProgress(0, 3), 0.04);
    EXPECT_EQ(RepairBatch::startProgress(2, 4), 0.5);
}

}  // namespace
}  // namespace tidewell
