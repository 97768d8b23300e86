// Renders every page of the main window over a sample state on the offscreen platform and
// writes one PNG per page into <build>/screenshots (or the folder given as the argument).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "model/app_model.h"
#include "sample_state.h"
#include "ui/content_view.h"

using namespace tidewell;

namespace {

void pause(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Lets queued engine results arrive until `done` holds or a few seconds passed.
template <class Done>
void settle(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) pause(20);
    pause(50);
}

std::optional<ProductModule> moduleOf(SidebarItem item) {
    if (item == SidebarItem::repair) return ProductModule::repair;
    if (item == SidebarItem::recovery) return ProductModule::recover;
    if (item == SidebarItem::home || item == SidebarItem::history || item == SidebarItem::settings) return std::nullopt;
    return ProductModule::cleaner;
}

bool idle(const RecoveryScanState& state) {
    return state.stateCase() != RecoveryScanState::Case::scanning &&
           state.stateCase() != RecoveryScanState::Case::exporting;
}

void populate(AppModel& model, const screenshots::SampleState& sample) {
    model.scan(true);
    settle([&] { return model.hasCompletedInitialScan() && !model.isScanning(); });
    model.scanSafeCleanup();
    model.scanLeftovers();
    settle([&] { return !model.isScanningSafeCleanup() && !model.isScanningLeftovers(); });
    if (!model.apps().empty()) model.setSelectedApp(model.apps().front());
    if (!model.leftovers().empty()) model.setSelectedLeftover(model.leftovers().front());
    model.refreshRecoveryVolumes();
    settle([&] { return !model.recoveryVolumes().empty(); });
    model.scanSelectedRecoveryVolume();
    settle([&] {
        return model.recoveryReport().has_value() || model.recoveryScanState().isFailure() ||
               (idle(model.recoveryScanState()) && !model.recoveryCandidates().empty());
    });
    model.addRepairFiles(sample.damagedFiles());
    settle([&] { return !model.isDiagnosingRepair(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    screenshots::SampleState sample;
    QApplication application(argc, argv);
    if (!sample.isValid()) return 1;
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QCoreApplication::applicationDirPath() + "/../screenshots";
    QDir().mkpath(folder);

    AppModel model(sample.engines());
    populate(model, sample);
    ContentView content(model);
    content.resize(1260, 740);
    content.show();
    for (const char* language : {"English", "简体中文"}) {
        model.setLanguage(language);
        for (SidebarItem item : allSidebarItemCases) {
            model.setSelectedProductModule(moduleOf(item));
            model.setSelectedSidebarItem(item);
            if (item == SidebarItem::settings)
                model.presentAction("Diagnostics exported to Tidewell-Diagnostics.json", ActionResultKind::success);
            pause(30);
            const QString name = QString::fromStdString(std::string(rawValue(item))).replace(' ', '-');
            const QString file =
                QDir(folder).filePath((language == std::string("English") ? name : name + "-zh") + ".png");
            if (!content.grab().save(file)) return 1;
            model.setShowActionAlert(false);
        }
    }
    std::printf("%s\n", QDir(folder).canonicalPath().toLocal8Bit().constData());
    return 0;
}
