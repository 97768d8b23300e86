// Measures how long the GUI thread goes without handling events while the
// model's work runs in the background: a 1 ms timer on the GUI thread records
// the longest gap between its ticks during (a) a full app inventory, (b) a
// deleted-file scan of the FAT32 scan image through the read-only helper and
// (c) a ZIP repair, diagnosis and export. Target: every longest gap under
// 50 ms. Runs in a temporary HOME and system root; the FAT32 image comes from
// the bench cache ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "cleanup/app_layout_fixture.h"
#include "deleted_scan_bench.h"
#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "sample_archive.h"
#include "support/eventually.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace tidewell;

constexpr int appCount = 2000;
constexpr std::size_t appPayloadBytes = 20'000;
constexpr double targetMilliseconds = 50;
constexpr int phaseTimeoutMilliseconds = 5 * 60 * 1000;

struct Stall {
    double longestMilliseconds = 0;
    double longestEndedAt = 0;  // seconds into the phase
    int ticks = 0;
    int gapsOverTarget = 0;
    double seconds = 0;
    bool finished = false;
};

// Calls `start` from the event loop, then runs the loop until `done`, with a
// 1 ms tick on the GUI thread timing the gaps between ticks. What `start` does
// on the GUI thread itself counts as part of a gap.
Stall measureStall(const std::function<void()>& start, const std::function<bool()>& done) {
    Stall stall;
    QEventLoop loop;
    QElapsedTimer sinceTick;
    QElapsedTimer phase;
    bool started = false;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double gap = sinceTick.nsecsElapsed() / 1e6;
        sinceTick.restart();
        if (gap >= targetMilliseconds) ++stall.gapsOverTarget;
        if (gap > stall.longestMilliseconds) {
            stall.longestMilliseconds = gap;
            stall.longestEndedAt = phase.nsecsElapsed() / 1e9;
        }
        ++stall.ticks;
        if (started && done()) loop.quit();
    });
    QTimer::singleShot(0, &loop, [&] {
        started = true;
        start();
    });
    QTimer::singleShot(phaseTimeoutMilliseconds, &loop, &QEventLoop::quit);
    phase.start();
    sinceTick.start();
    ticker.start();
    loop.exec();
    ticker.stop();
    stall.seconds = phase.nsecsElapsed() / 1e9;
    stall.finished = started && done();
    return stall;
}

// Prints one phase's line; false when the phase did not finish.
bool report(const std::string& phase, const Stall& stall, const std::string& outcome) {
    std::printf("%-31s longest stall %6.1f ms, ending %.2f s in (%d ticks in %.2f s, %d gaps over target)%s  %s\n",
                phase.c_str(), stall.longestMilliseconds, stall.longestEndedAt, stall.ticks, stall.seconds,
                stall.gapsOverTarget, stall.longestMilliseconds < targetMilliseconds ? "" : "  OVER TARGET",
                stall.finished ? outcome.c_str() : "DID NOT FINISH");
    return stall.finished;
}

bool inventory(AppModel& model, const testing::AppLayoutFixture& layout) {
    const fs::path applications = layout.system("/Applications");
    for (int index = 0; index < appCount; ++index) {
        const std::string name = "App" + std::to_string(index);
        layout.makeBundle(applications, name, {{"CFBundleIdentifier", "com.example." + name}, {"CFBundleName", name}},
                          testing::AppLayoutFixture::PlistFormat::xml, appPayloadBytes);
    }
    const Stall stall = measureStall([&] { model.scan(true); }, [&] { return !model.isScanning(); });
    return report("(a) app inventory", stall, std::to_string(model.apps().size()) + " apps listed");
}

// The FAT32 card as the mounted source the model lists.
ExternalRecoveryVolume cardVolume(const fs::path& mount) {
    return {.id = mount.string() + "#sdz1",
            .name = "CARD",
            .mountURL = mount,
            .deviceIdentifier = "sdz1",
            .fileSystem = "FAT32",
            .isRemovable = true};
}

// The model reads the image as device sdz1 through the real helper on a private socket.
bool deletedScan(AppModel& model, const fs::path& image, const fs::path& work) {
    const fs::path devices = work / "dev";
    const fs::path socket = work / "helper.sock";
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", socket.string()};
    testing::ScopedEnvironment noAdministratorTool{"TIDEWELL_PKEXEC", (work / "no-pkexec").string()};
    fs::create_directories(devices);
    // The helper opens devices without following links: a hard link, else a copy.
    std::error_code linkFailed;
    fs::create_hard_link(image, devices / "sdz1", linkFailed);
    if (linkFailed) fs::copy_file(image, devices / "sdz1");
    testing::RawHelperProcess helper(socket, devices);
    model.refreshRecoveryVolumes();
    if (!testing::eventually([&] { return model.selectedRecoveryVolumeID().has_value(); })) return false;
    const Stall stall =
        measureStall([&] { model.scanDeletedFiles(); },
                     [&] {
                         const auto state = model.deletedRecoveryScanState().stateCase();
                         return state == RecoveryScanState::Case::completed || state == RecoveryScanState::Case::failed;
                     });
    const bool completed = model.deletedRecoveryScanState() == RecoveryScanState::completed();
    return report("(b) deleted-file scan (FAT32)", stall,
                  completed ? std::to_string(model.deletedRecoveryCandidates().size()) + " candidates"
                            : "failed: " + model.deletedRecoveryScanState().message()) &&
           completed;
}

bool repair(AppModel& model, testing::ScriptedDialogs& dialogs, const fs::path& folder) {
    const fs::path archive = bench::makeSampleArchive(folder);
    const auto diagnosed = [&] {
        return !model.isDiagnosingRepair() &&
               std::none_of(model.repairJobs().begin(), model.repairJobs().end(),
                            [](const FileRepairJob& job) { return job.phase == RepairTaskPhase::queued; });
    };
    const Stall diagnosis = measureStall([&] { model.addRepairFiles({archive}); }, diagnosed);
    if (!report("(c) ZIP repair: diagnosis", diagnosis,
                model.repairJobs().empty() ? "no job" : model.repairJobs().front().statusText))
        return false;
    dialogs.saveAnswers.push_back(folder / "data-repaired.zip");
    const Stall exported = measureStall([&] { model.exportRepairCopy(); }, [&] { return !model.repairInProgress(); });
    const auto& outcome = model.repairJobs().front().outcome;
    return report("(c) ZIP repair: export", exported, outcome ? rawValue(outcome->state) : "no outcome") &&
           outcome.has_value();
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    try {
        const fs::path image = bench::fat32ScanImage(bench::benchCache());
        testing::AppLayoutFixture layout;  // HOME and the system root, both temporary
        testing::TemporaryFolder work;
        testing::ScriptedDialogs dialogs;
        testing::RecordingDesktop desktop;
        fs::create_directories(work / "mnt");
        AppModel::Engines engines = AppModel::realEngines();
        engines.mountedExternalVolumes = [volume = cardVolume(work / "mnt")] {
            return std::vector<ExternalRecoveryVolume>{volume};
        };
        engines.refreshedVolume = [](const ExternalRecoveryVolume& listed) { return listed; };
        AppModel model(engines);
        model.setDialogs(&dialogs);
        model.setDesktop(&desktop);

        std::printf("Longest GUI-thread stall per phase (gap between 1 ms ticks; target under %.0f ms)\n",
                    targetMilliseconds);
        bool finished = inventory(model, layout);
        finished = deletedScan(model, image, work.path()) && finished;
        finished = repair(model, dialogs, work.path()) && finished;
        return finished ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        return 1;
    }
}
