// Renders every page of the main window over a sample state on the offscreen platform and
// writes one PNG per page and language into <build>/screenshots (or the folder given as the argument), plus
// one of the recovery page's Deleted Files tab after a real deleted-file scan of a FAT32 card.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "deleted_card_server.h"
#include "linux_desktop_sample.h"
#include "model/app_language.h"
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

// Lets queued engine results arrive until `done` holds or half a minute passed (a loaded
// machine under the sanitizers is slow; a quick answer returns at once).
template <class Done>
void settle(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 30000) pause(20);
    pause(50);
}

std::optional<ProductModule> moduleOf(SidebarItem item) {
    if (item == SidebarItem::repair) return ProductModule::repair;
    if (item == SidebarItem::recovery) return ProductModule::recover;
    if (item == SidebarItem::home || item == SidebarItem::history || item == SidebarItem::settings) return std::nullopt;
    return ProductModule::cleaner;
}

// Reads the card's raw partition through the helper; a failure or an empty result is said once.
void scanDeletedFiles(AppModel& model) {
    model.scanDeletedFiles();
    settle([&] { return model.deletedRecoveryReport().has_value() || model.deletedRecoveryScanState().isFailure(); });
    if (model.deletedRecoveryCandidates().empty())
        std::fprintf(stderr, "Deleted Files tab shows no candidates: %s\n",
                     model.deletedRecoveryStatusText().value_or("the scan did not finish").c_str());
}

void populate(AppModel& model, const screenshots::SampleState& sample, bool withDeletedScan) {
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
               (!model.recoveryScanState().isBusy() && !model.recoveryCandidates().empty());
    });
    if (withDeletedScan) scanDeletedFiles(model);
    model.addRepairFiles(sample.damagedFiles());
    settle([&] { return !model.isDiagnosingRepair(); });
}

// Shows the recovery page's tab whose page is named `name` ("readable" or "deleted").
void showRecoveryTab(const ContentView& content, const char* name) {
    for (QTabWidget* tabs : content.findChildren<QTabWidget*>())
        if (QWidget* page = tabs->findChild<QWidget*>(name)) tabs->setCurrentWidget(page);
}

// The file-name suffix of each language's pictures; English has none.
QString suffixOf(AppLanguage language) {
    switch (language) {
        case AppLanguage::english:
            return {};
        case AppLanguage::simplifiedChinese:
            return "-zh";
        case AppLanguage::spanish:
            return "-es";
        case AppLanguage::japanese:
            return "-ja";
        case AppLanguage::french:
            return "-fr";
    }
    return {};
}

bool save(ContentView& content, const QString& folder, const QString& name, AppLanguage language) {
    pause(30);
    return content.grab().save(QDir(folder).filePath(name + suffixOf(language) + ".png"));
}

// The Clean module's pages over a Linux desktop read through the freedesktop layout, in English.
bool saveLinuxDesktopPages(const QString& folder) {
    screenshots::LinuxDesktopSample sample;
    if (!sample.isValid()) return false;
    AppModel model(AppModel::realEngines());
    model.setLanguage(std::string(rawValue(AppLanguage::english)));
    model.scan(true, true);
    settle([&] { return model.hasCompletedInitialScan() && !model.isScanning(); });
    model.scanSafeCleanup();
    model.scanLeftovers();
    settle([&] { return !model.isScanningSafeCleanup() && !model.isScanningLeftovers(); });
    for (const AppInfo& app : model.apps())
        if (app.name == "Harbor Studio") model.setSelectedApp(app);
    if (!model.leftovers().empty()) model.setSelectedLeftover(model.leftovers().front());
    ContentView content(model);
    content.resize(1260, 740);
    content.show();
    model.setSelectedProductModule(ProductModule::cleaner);
    for (SidebarItem item : {SidebarItem::apps, SidebarItem::leftovers, SidebarItem::installers}) {
        model.setSelectedSidebarItem(item);
        const QString name = QString::fromStdString(std::string(rawValue(item))).replace(' ', '-') + "-linux";
        if (!save(content, folder, name, AppLanguage::english)) return false;
    }
    return true;
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

    screenshots::DeletedCardServer card(sample.root(), screenshots::SampleState::cardDevice);
    if (card.unavailableReason())
        std::fprintf(stderr, "Deleted Files tab skipped: %s\n", card.unavailableReason()->c_str());

    AppModel model(sample.engines());
    populate(model, sample, card.isServing());
    ContentView content(model);
    content.resize(1260, 740);
    content.show();
    for (const AppLanguage language : allAppLanguageCases) {
        model.setLanguage(std::string(rawValue(language)));
        for (SidebarItem item : allSidebarItemCases) {
            model.setSelectedProductModule(moduleOf(item));
            model.setSelectedSidebarItem(item);
            if (item == SidebarItem::settings)
                model.presentAction("Diagnostic report exported to /home/sample/Tidewell-Diagnostics.json",
                                    ActionResultKind::success);
            const QString name = QString::fromStdString(std::string(rawValue(item))).replace(' ', '-');
            if (!save(content, folder, name, language)) return 1;
            if (item == SidebarItem::recovery && card.isServing()) {
                showRecoveryTab(content, "deleted");
                const bool saved = save(content, folder, name + "-deleted", language);
                showRecoveryTab(content, "readable");
                if (!saved) return 1;
            }
            model.setShowActionAlert(false);
        }
    }
    if (!saveLinuxDesktopPages(folder)) return 1;
    std::printf("%s\n", QDir(folder).canonicalPath().toLocal8Bit().constData());
    return 0;
}
