#include "ui/filled_pages.h"

#include <algorithm>
#include <chrono>

#include "cleanup/freedesktop/app_inventory.h"
#include "platform/xdg_folders.h"
#include "support/pdf_fixture.h"
#include "util/string_helpers.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t someBytes = 6000;

std::string infoPlist(const std::string& identifier, const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>CFBundleIdentifier</key>\n\t<string>" +
           identifier + "</string>\n\t<key>CFBundleName</key>\n\t<string>" + name + "</string>\n</dict>\n</plist>\n";
}

// Old enough for the safe cleanup scan, which skips recent logs and caches.
void makeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::days(40));
}

}  // namespace

void FilledPages::writeInstalledApps() const {
    makeApp("Alpha", 600'000);
    const fs::path library = this->library();
    writeFile(library / "Caches/com.example.Alpha/cache.db", std::string(someBytes, 'c'));
    writeFile(library / "Application Support/com.example.Alpha/data.db", std::string(someBytes, 'd'));
    writeFile(library / "Application Support/Alpha/notes.db", std::string(someBytes, 'n'));
    writeFile(library / "Preferences/com.example.Alpha.plist", std::string(someBytes, 'p'));
    writeFile(library / "Saved Application State/com.example.Alpha.savedState/windows.plist",
              std::string(someBytes, 's'));
    writeFile(library / "Logs/com.example.Alpha.log", std::string(someBytes, 'l'));
    writeFile(library / "Logs/Alpha-crash.log", std::string(someBytes, 'l'));
    makeOld(library / "Logs/Alpha-crash.log");
    writeFile(library / "LaunchAgents/com.example.Alpha.helper.plist",
              "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
              "<string>com.example.Alpha.helper</string><key>Program</key><string>/usr/bin/alpha-helper</string>"
              "</dict></plist>\n");
    writeFile(home.path() / "Downloads/Alpha-Installer.dmg", std::string(someBytes, 'i'));
    makeApp("Beacon");
    const fs::path calculator = system / "System/Applications/Calculator.app";
    writeFile(calculator / "Contents/Info.plist", infoPlist("com.apple.calculator", "Calculator"));
    writeFile(calculator / "Contents/Resources/payload", std::string(someBytes, 'x'));
}

void FilledPages::writeLeftoversAndOldFiles() const {
    const fs::path library = this->library();
    writeFile(library / "Containers/com.gone.Widget/Data/state.db", std::string(someBytes * 3, 'w'));
    writeFile(library / "Application Scripts/com.gone.Widget/run.scpt", std::string(someBytes, 'w'));
    writeFile(library / "Caches/com.gone.Widget/blob", std::string(someBytes, 'w'));
    writeFile(library / "Preferences/com.gone.Widget.plist", std::string(someBytes, 'w'));
    writeFile(library / "Group Containers/group.com.gone.Shared/store.db", std::string(someBytes, 'g'));
    writeFile(library / "Containers/com.apple.notes.Gadget/Data/state.db", std::string(someBytes, 'a'));
    writeFile(library / "Caches/old-monitor/blob", std::string(someBytes, 'm'));
    makeOld(library / "Caches/old-monitor");
}

std::vector<fs::path> FilledPages::writeRepairFiles() const {
    const fs::path folder = home.path() / "Damaged";
    for (const char* part : {"a.txt", "b.txt"}) writeFile(folder / part, std::string(4000, part[0]));
    const fs::path zip = folder / "photos.zip";
    EXPECT_EQ(runTool("zip", {"-q", "-j", zip.string(), (folder / "a.txt").string(), (folder / "b.txt").string()}), 0);
    const fs::path letter = folder / "letter.pdf";
    writeTextPDF(letter, {"Dear reader"});
    // A PDF cut short loses its end marker and cross-reference table.
    const fs::path cut = folder / "cut.pdf";
    writeTextPDF(cut, {"Half a page"});
    fs::resize_file(cut, fs::file_size(cut) / 3);
    const fs::path notes = folder / "notes.txt";
    writeFile(notes, "plain words");
    return {zip, cut, notes};
}

AppInfo FilledPages::linuxPlanApp() {
    using Freedesktop::AppOrigin;
    const fs::path dataHome = platform::XDGFolders::dataHome();
    writeFile(home.path() / ".var/app/org.example.Paint/config/paint.conf", std::string(someBytes, 'f'));
    writeFile(dataHome / "applications/quill.desktop", "[Desktop Entry]\nType=Application\nName=Quill\n");
    writeFile(dataHome / "icons/hicolor/48x48/apps/quill.png", std::string(someBytes, 'q'));
    const fs::path tray = system / "etc/xdg/autostart/inkwell-tray.desktop";
    writeFile(tray, "[Desktop Entry]\nType=Application\nName=Inkwell Tray\nExec=/usr/bin/inkwell --tray\n");

    Freedesktop::InventoryPass pass{.includePermissionSensitive = true};
    pass.startupItems.push_back({.id = tray.string(),
                                 .label = "inkwell-tray",
                                 .path = tray.string(),
                                 .program = "/usr/bin/inkwell",
                                 .requiresAdmin = true});
    pass.relatedFolders.emplace();
    const Freedesktop::LinuxApp inkwell{.origin = AppOrigin::debianPackage,
                                        .desktopFileID = "inkwell.desktop",
                                        .name = "Inkwell",
                                        .identifier = "inkwell",
                                        .path = "/usr/bin/inkwell",
                                        .executable = "/usr/bin/inkwell"};
    const Freedesktop::LinuxApp paint{.origin = AppOrigin::flatpak,
                                      .desktopFileID = "org.example.Paint.desktop",
                                      .name = "Paint",
                                      .identifier = "org.example.Paint",
                                      .path = home.path() / ".local/share/flatpak/app/org.example.Paint/current/active",
                                      .flatpakInstallation = "user"};
    const Freedesktop::LinuxApp quill{.origin = AppOrigin::local,
                                      .desktopFileID = "quill.desktop",
                                      .name = "Quill",
                                      .identifier = "quill.desktop",
                                      .path = home.path() / "Apps/Quill",
                                      .desktopEntry = dataHome / "applications/quill.desktop",
                                      .iconName = "quill"};
    // One plan for all three: the Debian package with its system autostart entry, then the
    // Flatpak with its data folder and the local app with its menu entry and icon.
    AppInfo app = Freedesktop::appInfo(inkwell, pass);
    for (const Freedesktop::LinuxApp& other : {paint, quill}) {
        const AppInfo info = Freedesktop::appInfo(other, pass);
        app.cleanupCandidates.insert(app.cleanupCandidates.end(), info.cleanupCandidates.begin(),
                                     info.cleanupCandidates.end());
        linuxAppNames_ << QString::fromStdString(info.name) << QString::fromStdString(info.bundleIdentifier);
    }
    for (const RemovalRoute route :
         {RemovalRoute::trash, RemovalRoute::flatpak, RemovalRoute::apt, RemovalRoute::hiddenAutostart})
        EXPECT_TRUE(std::any_of(app.cleanupCandidates.begin(), app.cleanupCandidates.end(),
                                [&](const CleanupCandidate& candidate) { return candidate.route == route; }))
            << rawValue(route);
    return app;
}

AppModel::Engines FilledPages::engines() const {
    AppModel::Engines engines = AppModel::realEngines();
    engines.scanApps = [scan = engines.scanApps, linux = linuxApp_](bool includePermissionSensitive) {
        std::vector<AppInfo> apps = scan(includePermissionSensitive);
        apps.push_back(linux);
        for (AppInfo& app : apps)
            if (app.name == "Alpha") {
                app.isRunning = true;
                app.memoryBytes = 300'000'000;
            }
        return apps;
    };
    // apt's answer for the Debian package: what goes with it, one of which the system needs.
    engines.previewRemoval = [](const AppInfo&, const std::vector<CleanupCandidate>& candidates) {
        RemovalPreview preview;
        for (const CleanupCandidate& candidate : candidates)
            if (candidate.route == RemovalRoute::apt) {
                preview.packages = {"inkwell", "libinkwell0", "libc6"};
                preview.refusal = "apt would also remove packages the system needs: libc6.";
            }
        return preview;
    };
    engines.mountedExternalVolumes = [folder = recoveryFolder()] {
        return std::vector<ExternalRecoveryVolume>{
            {.id = folder.string(), .name = "CameraCard", .mountURL = folder, .fileSystem = "FAT32"}};
    };
    engines.refreshedVolume = [](const ExternalRecoveryVolume& volume) { return std::optional(volume); };
    return engines;
}

void FilledPages::SetUp() {
    if (!haveTool("zip") || !haveTool("unzip")) GTEST_SKIP() << "zip and unzip are needed";
    writeInstalledApps();
    linuxApp_ = linuxPlanApp();
    writeLeftoversAndOldFiles();
    const std::vector<fs::path> damaged = writeRepairFiles();
    writeFile(recoveryFolder() / "DCIM/IMG_0142.JPG", std::string(someBytes, 'j'));
    writeFile(recoveryFolder() / "DCIM/MOV_0143.MP4", std::string(someBytes, 'm'));
    writeFile(recoveryFolder() / "Documents/Budget.pdf", std::string(someBytes, 'p'));

    model = std::make_unique<AppModel>(engines());
    model->setDialogs(&dialogs_);
    QObject::connect(model.get(), &AppModel::actionMessageChanged, [this] {
        if (model->actionMessage()) actionMessages.push_back(*model->actionMessage());
    });
    scanAndWait(*model);
    model->scanSafeCleanup();
    model->scanLeftovers();
    ASSERT_TRUE(eventually([&] { return !model->isScanningSafeCleanup() && !model->isScanningLeftovers(); }));

    // A repair exported, then a leftover and an installer moved to the Trash.
    model->addRepairFiles(damaged);
    ASSERT_TRUE(eventually([&] { return !model->isDiagnosingRepair(); }, workflowTimeout));
    model->selectRepairJob(model->repairJobs().front());
    dialogs_.saveAnswers.push_back(home.path() / "Repaired/photos.zip");
    fs::create_directories(home.path() / "Repaired");
    model->exportRepairCopy();
    ASSERT_TRUE(eventually([&] { return !model->repairHistory().empty() && !model->repairInProgress(); }));
    ASSERT_FALSE(model->leftovers().empty());
    const LeftoverGroup widget = model->leftovers().front();
    model->moveLeftoverCandidatesToTrash(widget, {widget.candidates.back()});
    waitForCleanup(*model);
    for (const SafeCleanupItem& item : model->safeCleanupItems())
        if (item.category == SafeCleanupItem::Category::installers) model->moveSafeCleanupItemsToTrash({item});
    waitForCleanup(*model);
    ASSERT_TRUE(eventually([&] { return !model->isScanning() && !model->isScanningLeftovers(); }));

    model->refreshRecoveryVolumes();
    ASSERT_TRUE(eventually([&] { return model->selectedRecoveryVolume().has_value(); }));
    model->scanSelectedRecoveryVolume();
    ASSERT_TRUE(eventually([&] { return model->recoveryReport().has_value(); }));

    for (const AppInfo& app : model->apps())
        if (app.name == linuxApp_.name) model->setSelectedApp(app);
    ASSERT_TRUE(model->selectedApp().has_value());
    model->previewCleanupPlan(*model->selectedApp());
    ASSERT_TRUE(eventually([&] { return model->cleanupPlanPreview().has_value(); }));
    // apt's refusal stops the plan before anything is taken away.
    std::vector<CleanupCandidate> planned;
    for (const CleanupCandidate& candidate : linuxApp_.cleanupCandidates)
        if (candidate.isSelectable) planned.push_back(candidate);
    model->moveCleanupCandidatesToTrash(*model->selectedApp(), planned, false, false);
    waitForCleanup(*model);
    ASSERT_EQ(actionMessages.back(),
              "Tidewell did not remove Inkwell: apt would also remove packages the system "
              "needs: libc6. Nothing was changed.");
    model->setSelectedLeftover(model->leftovers().front());
}

QStringList FilledPages::dataNames() const {
    QStringList names = linuxAppNames_;
    const auto add = [&](const std::string& name) { names << QString::fromStdString(name); };
    for (const AppInfo& app : model->apps()) {
        add(app.name);
        add(app.bundleIdentifier);
        for (const LaunchAgentInfo& item : app.launchAgents) add(item.label);
    }
    for (const LeftoverGroup& group : model->leftovers()) {
        add(group.name);
        add(group.matchToken);
        // The owner a group is "likely from" is named after a piece of its identifier.
        for (const QString& piece : QString::fromStdString(group.matchToken).split('.'))
            add(tidewellDisplayName(piece.toStdString()));
        for (const CleanupCandidate& candidate : group.candidates) add(candidate.label);
    }
    for (const SafeCleanupItem& item : model->safeCleanupItems()) add(item.name);
    for (const FileRepairJob& job : model->repairJobs()) add(job.title());
    for (const ExternalRecoveryVolume& volume : model->recoveryVolumes()) {
        add(volume.name);
        add(volume.fileSystem);
    }
    for (const RecoveryCandidate& candidate : model->recoveryCandidates()) add(candidate.name());
    return names;
}

}  // namespace tidewell::testing
