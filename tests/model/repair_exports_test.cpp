#include <gtest/gtest.h>

#include "firstaid/repair_export.h"
#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "process/command_runner.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

// Diagnosed files in a temporary HOME, exported by the real repair engine.
class RepairExports : public ::testing::Test {
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

    // A model with the files queued and diagnosed.
    std::unique_ptr<AppModel> diagnosedModel(const std::vector<fs::path>& files) {
        auto model = std::make_unique<AppModel>();
        model->setDialogs(&dialogs);
        model->setDesktop(&desktop);
        model->addRepairFiles(files);
        EXPECT_TRUE(testing::eventually([&] {
            return !model->isDiagnosingRepair() &&
                   std::none_of(model->repairJobs().begin(), model->repairJobs().end(),
                                [](const FileRepairJob& job) { return job.phase == RepairTaskPhase::queued; });
        }));
        return model;
    }

    static void waitForExport(AppModel& model) {
        ASSERT_TRUE(testing::eventually([&] { return !model.repairQueueInProgress(); }));
    }
};

TEST_F(RepairExports, ARepairedCopyIsExportedRevealedAndRememberedAcrossRestarts) {
    const fs::path source = pdf("report.pdf");
    auto model = diagnosedModel({source});
    const FileRepairDiagnostic diagnostic = *model->repairDiagnostic();
    const fs::path output = folder / "Out" / "report-repaired.pdf";
    fs::create_directories(output.parent_path());
    dialogs.saveAnswers.push_back(output);
    model->exportRepairCopy();
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].title, "Export repaired copy");
    EXPECT_EQ(dialogs.saveRequests[0].suggestedName, FileFirstAidEngine::suggestedOutputName(diagnostic));
    EXPECT_EQ(dialogs.saveRequests[0].directory, folder.path());
    EXPECT_TRUE(model->repairInProgress());
    waitForExport(*model);

    const FileRepairJob& job = model->repairJobs().front();
    ASSERT_TRUE(job.outcome.has_value()) << model->actionMessage().value_or("");
    const FileRepairOutcome& outcome = *job.outcome;
    const bool repaired = outcome.state == RepairOutcomeState::repaired;
    EXPECT_EQ(job.phase, repaired ? RepairTaskPhase::repaired : RepairTaskPhase::partial);
    EXPECT_EQ(job.statusText, rawValue(outcome.state));
    EXPECT_EQ(job.progress, 1.0);
    std::string expected = outcome.message + "\nSaved to: " + output.string();
    if (!outcome.warnings.empty()) {
        expected += "\n\nWarnings:\n";
        for (std::size_t index = 0; index < outcome.warnings.size(); ++index)
            expected += (index ? "\n" : "") + outcome.warnings[index];
    }
    EXPECT_EQ(model->actionMessage(), expected);
    EXPECT_EQ(model->actionResultKind(), repaired ? ActionResultKind::success : ActionResultKind::warning);
    EXPECT_EQ(desktop.revealed, (std::vector<std::vector<fs::path>>{{output}}));
    EXPECT_TRUE(fs::is_regular_file(output));
    EXPECT_FALSE(model->repairInProgress());
    EXPECT_EQ(model->repairStatusText(), std::nullopt);

    ASSERT_EQ(model->repairHistory().size(), 1u);
    const RepairHistoryRecord record = model->repairHistory().front();  // a copy: the model goes below
    EXPECT_EQ(record.sourceName, "report.pdf");
    EXPECT_EQ(record.outputName, "report-repaired.pdf");
    EXPECT_EQ(record.stateRawValue, rawValue(outcome.state));
    EXPECT_EQ(record.kindRawValue, rawValue(diagnostic.kind));
    EXPECT_EQ(record.message, outcome.message);
    EXPECT_EQ(record.outputURL(), output);

    model.reset();
    AppModel restarted;
    ASSERT_EQ(restarted.repairHistory().size(), 1u);
    EXPECT_EQ(restarted.repairHistory().front().id, record.id);
    restarted.clearRepairHistory();
    EXPECT_TRUE(restarted.repairHistory().empty());
    EXPECT_TRUE(AppModel().repairHistory().empty());
}

// A recording cut off before its movie box: the reference clip is asked for, then the output.
TEST_F(RepairExports, ACutOffRecordingIsRebuiltFromTheChosenReferenceClip) {
    auto record = [&](const std::string& name, const std::string& seconds) {
        const fs::path file = folder / name;
        EXPECT_EQ(CommandRunner::run("/usr/bin/ffmpeg",
                                     {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=96x64:rate=25", "-t",
                                      seconds, "-c:v", "libx264", "-preset", "veryfast", file.string()})
                      .status,
                  0);
        return file;
    };
    const fs::path intact = record("intact.mp4", "2");
    const fs::path reference = record("reference.mp4", "1");
    const std::string bytes = testing::readFile(intact);
    const fs::path broken = folder / "broken.mp4";
    writeFile(broken, bytes.substr(0, bytes.find("moov") / 2));
    auto model = diagnosedModel({broken});
    EXPECT_TRUE(model->selectedRepairJobNeedsReference());
    dialogs.openAnswers.push_back({reference});
    dialogs.saveAnswers.push_back(folder / "broken-repaired.mp4");
    model->rebuildRepairCopyFromReference();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].title, "Choose a healthy clip from the same camera…");
    waitForExport(*model);
    const FileRepairJob& job = model->repairJobs().front();
    ASSERT_TRUE(job.outcome.has_value()) << model->actionMessage().value_or("");
    EXPECT_EQ(job.phase, RepairTaskPhase::partial);
    EXPECT_TRUE(job.outcome->message.starts_with("Rebuilt the movie metadata from the reference clip: "));
    EXPECT_TRUE(fs::is_regular_file(folder / "broken-repaired.mp4"));
}

TEST_F(RepairExports, TheOriginalIsNeverTheOutput) {
    const fs::path source = pdf("report.pdf");
    auto model = diagnosedModel({source});
    dialogs.saveAnswers.push_back(folder / "." / "report.pdf");
    model->exportRepairCopy();
    EXPECT_EQ(model->actionMessage(), "Choose a different output path. Tidewell never overwrites the original file.");
    EXPECT_EQ(model->actionResultKind(), ActionResultKind::failure);
    EXPECT_FALSE(model->repairInProgress());
    EXPECT_EQ(model->repairJobs().front().phase, RepairTaskPhase::ready);
}

TEST_F(RepairExports, ACancelledExportIsAWarningAndMarksTheJob) {
    auto model = diagnosedModel({pdf("report.pdf")});
    // Cancelled once the export has its token, before the engine starts.
    QObject::connect(model.get(), &AppModel::repairStatusTextChanged, [&] {
        if (model->repairStatusText() == std::optional<std::string>("Exporting repaired copy")) model->cancelRepair();
    });
    dialogs.saveAnswers.push_back(folder / "report-repaired.pdf");
    model->exportRepairCopy();
    waitForExport(*model);
    EXPECT_EQ(model->actionMessage(), "Repair cancelled.");
    EXPECT_EQ(model->actionResultKind(), ActionResultKind::warning);
    const FileRepairJob& job = model->repairJobs().front();
    EXPECT_EQ(job.phase, RepairTaskPhase::cancelled);
    EXPECT_EQ(job.statusText, "Repair cancelled.");
    EXPECT_TRUE(job.errorMessage.has_value());
    EXPECT_TRUE(model->repairHistory().empty());
}

TEST_F(RepairExports, ABatchExportsEveryReadyJobIntoOneFolder) {
    writeFile(folder / "notes.txt", "plain words");
    auto model = diagnosedModel({pdf("one.pdf"), folder / "notes.txt", pdf("two.pdf")});
    ASSERT_EQ(model->readyRepairJobCount(), 2);
    std::vector<std::string> statuses;
    QObject::connect(model.get(), &AppModel::repairStatusTextChanged, [&] {
        if (model->repairStatusText()) statuses.push_back(*model->repairStatusText());
    });
    const fs::path out = folder / "Repaired";
    fs::create_directories(out);
    dialogs.openAnswers.push_back({out});
    model->exportAllRepairableCopies();
    waitForExport(*model);
    EXPECT_EQ(dialogs.openRequests.back().title, "Choose a folder for repaired copies");
    EXPECT_EQ(model->actionMessage(), "Exported 2 repaired copies to " + out.string() + ".");
    EXPECT_EQ(model->actionResultKind(), ActionResultKind::success);
    EXPECT_EQ(desktop.revealed.back(), std::vector<fs::path>{out});
    EXPECT_EQ(statuses.front(), "Repairing 1 of 2: one.pdf");
    EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Repairing 2 of 2: two.pdf"), statuses.end());
    EXPECT_EQ(model->repairHistory().size(), 2u);
    EXPECT_EQ(model->repairJobs()[1].phase, RepairTaskPhase::failed);  // not ready, left alone

    model->exportAllRepairableCopies();  // the ready jobs are repaired now
    EXPECT_EQ(model->actionMessage(), "Add and diagnose at least one repairable file first.");
    EXPECT_EQ(model->actionResultKind(), ActionResultKind::info);
}

TEST_F(RepairExports, ReadableContentsAreExtractedOnlyFromArchives) {
    writeFile(folder / "package/readme.txt", "hello");
    writeFile(folder / "package/data/values.csv", "1,2,3");
    ASSERT_EQ(testing::runTool("sh", {"-c", "cd '" + (folder / "package").string() + "' && zip -qr ../bundle.zip ."}),
              0);
    auto model = diagnosedModel({folder / "bundle.zip", pdf("report.pdf")});
    model->selectRepairJob(model->repairJobs()[1]);
    model->extractReadableRepairContents();
    EXPECT_EQ(model->actionMessage(),
              "Tidewell could not find enough ZIP structure to safely extract readable contents.");

    model->selectRepairJob(model->repairJobs()[0]);
    ASSERT_TRUE(model->repairDiagnostic()->canExtractReadableContent);
    const fs::path out = folder / "Contents";
    fs::create_directories(out);
    dialogs.openAnswers.push_back({out});
    model->extractReadableRepairContents();
    waitForExport(*model);
    const FileRepairJob& job = model->repairJobs()[0];
    ASSERT_TRUE(job.outcome.has_value()) << model->actionMessage().value_or("");
    EXPECT_EQ(job.phase, RepairTaskPhase::partial);
    EXPECT_EQ(job.statusText, "Readable contents extracted");
    EXPECT_EQ(model->actionResultKind(), ActionResultKind::warning);
    EXPECT_TRUE(model->actionMessage()->starts_with(job.outcome->message +
                                                    "\nSaved to: " + job.outcome->outputURL.string() + "\n\nNotes:\n"));
    EXPECT_TRUE(fs::is_regular_file(job.outcome->outputURL / "readme.txt"));
    EXPECT_EQ(desktop.revealed.back(), std::vector<fs::path>{job.outcome->outputURL});
}

}  // namespace
}  // namespace tidewell
