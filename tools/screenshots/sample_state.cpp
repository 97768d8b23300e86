#include "sample_state.h"

#include <fstream>
#include <random>

#include "process/command_runner.h"

namespace tidewell::screenshots {

namespace {

using std::chrono::hours;
using std::chrono::system_clock;

void writeFile(const std::filesystem::path& path, std::size_t bytes, char fill) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(bytes, fill);
}

// The name and the evidence the engines give each kind of item.
struct Described {
    std::string label;
    std::string evidence;
};

Described describe(CleanupCandidateKind kind, const AppInfo& app) {
    switch (kind) {
        case CleanupCandidateKind::appBundle:
            return {app.name + ".app", "Inside selected app bundle"};
        case CleanupCandidateKind::cache:
            return {"Bundle cache", "Bundle ID exact cache path"};
        default:
            return {"Bundle Application Support", "Bundle ID support path, may contain user data"};
    }
}

CleanupCandidate candidate(const AppInfo& app, CleanupCandidateKind kind, std::string folder, std::int64_t bytes,
                           CleanupSafetyLevel safety) {
    CleanupCandidate made;
    made.path = "/home/sample/.local/share/" + folder + "/" + app.bundleIdentifier;
    made.id = made.path;
    made.kind = kind;
    const Described described = describe(kind, app);
    made.label = described.label;
    made.sizeBytes = bytes;
    made.safetyLevel = safety;
    made.evidence = described.evidence;
    made.isSelectable = safety != CleanupSafetyLevel::protected_;
    made.defaultSelected = safety == CleanupSafetyLevel::safe;
    return made;
}

AppInfo app(std::string name, std::string vendor, std::int64_t bytes, std::int64_t memory, int daysSinceUse) {
    AppInfo made;
    made.name = name;
    made.bundleIdentifier = "com." + vendor + "." + name.substr(0, name.find(' '));
    made.version = "4.2.1";
    made.path = "/opt/" + name + ".app";
    made.id = made.path;
    made.sizeBytes = bytes;
    made.relatedBytes = bytes / 5;
    made.cacheBytes = bytes / 10;
    made.memoryBytes = memory;
    made.isRunning = memory > 0;
    made.lastUsedDate = system_clock::now() - hours(24 * daysSinceUse);
    made.cleanupCandidates = {
        candidate(made, CleanupCandidateKind::appBundle, "applications", bytes, CleanupSafetyLevel::likely),
        candidate(made, CleanupCandidateKind::cache, "cache", bytes / 10, CleanupSafetyLevel::safe),
        candidate(made, CleanupCandidateKind::applicationSupport, "support", bytes / 10, CleanupSafetyLevel::review)};
    return made;
}

std::vector<AppInfo> inventory() {
    std::vector<AppInfo> apps{app("Harbor Studio", "harbor", 2'400'000'000, 812'000'000, 0),
                              app("Lumen Notes", "lumen", 310'000'000, 145'000'000, 2),
                              app("Quarry Maps", "quarry", 980'000'000, 0, 75),
                              app("Pebble Chat", "pebble", 520'000'000, 96'000'000, 1),
                              app("Old Scanner", "oldscan", 64'000'000, 0, 400),
                              app("Terminal", "system", 12'000'000, 24'000'000, 0)};
    apps[1].launchAgents.push_back({.id = "/home/sample/.config/autostart/lumen.plist",
                                    .label = "com.lumen.sync",
                                    .path = "/home/sample/.config/autostart/lumen.plist",
                                    .program = "/opt/Lumen Notes.app/sync",
                                    .keepAlive = true,
                                    .runAtLoad = true});
    apps.back().isProtected = true;
    apps.back().cleanupCandidates.clear();
    return apps;
}

std::vector<SafeCleanupItem> safeItems() {
    auto item = [](SafeCleanupItem::Category category, std::string name, std::int64_t bytes, std::string note) {
        SafeCleanupItem made;
        made.category = category;
        made.name = std::move(name);
        made.path = "/home/sample/Downloads/" + made.name;
        made.id = made.path;
        made.sizeBytes = bytes;
        made.note = std::move(note);
        return made;
    };
    return {item(SafeCleanupItem::Category::installers, "HarborStudio-4.2.dmg", 830'000'000,
                 "Downloaded installer/archive. Move to Trash if you do not need to reinstall from this file."),
            item(SafeCleanupItem::Category::logs, "pebble-chat.log", 48'000'000,
                 "Old user log. Usually safe to move to Trash."),
            item(SafeCleanupItem::Category::caches, "thumbnails", 212'000'000,
                 "User cache. Apps can recreate it when needed.")};
}

std::vector<LeftoverGroup> leftoverGroups() {
    LeftoverGroup group;
    group.id = group.matchToken = "com.driftwood.player";
    group.name = "Driftwood Player";
    AppInfo owner = app("Driftwood Player", "driftwood", 0, 0, 0);
    group.candidates = {
        candidate(owner, CleanupCandidateKind::container, "containers", 140'000'000, CleanupSafetyLevel::review),
        candidate(owner, CleanupCandidateKind::cache, "cache", 35'000'000, CleanupSafetyLevel::safe)};
    // A leftover is named after its folder, and its evidence names the folder it was found in.
    for (CleanupCandidate& leftover : group.candidates) {
        leftover.label = group.matchToken;
        leftover.evidence = rawValue(leftover.kind) + " name matches deleted bundle id " + group.matchToken;
    }
    return {group};
}

// A real archive of holiday photos followed by more than the diagnosis's tail sample of other
// bytes (as when a download was glued to something else): its entries still list, its end is
// out of sight and unzip's test prints a several-line complaint. Zeros when zip is missing.
void writeHolidayArchive(const std::filesystem::path& archive) {
    const std::filesystem::path photos = archive.parent_path() / "Holiday photos";
    const std::vector<std::string> names{"beach-day_01.jpg", "beach-day_02.jpg", "harbour_sunset.jpg",
                                         "old-town_map.png", "notes.txt"};
    for (std::size_t index = 0; index < names.size(); ++index)
        writeFile(photos / names[index], 40'000 + 9'000 * index, static_cast<char>('a' + index));
    std::vector<std::string> arguments{"-q", "-r", archive.string()};
    for (const std::string& name : names) arguments.push_back("Holiday photos/" + name);
    const auto zip = CommandRunner::firstExecutable("zip");
    if (!zip || CommandRunner::run(*zip, arguments, archive.parent_path()).status != 0) {
        writeFile(archive, 4'096, '\0');
        return;
    }
    std::minstd_rand bytes(42);
    std::string appended(2'500'000, '\0');
    for (char& byte : appended) byte = static_cast<char>(bytes());
    std::ofstream(archive, std::ios::binary | std::ios::app) << appended;
}

}  // namespace

SampleState::SampleState() {
    if (!home_.isValid()) return;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const std::filesystem::path folder = root() / name;
        std::filesystem::create_directories(folder);
        qputenv(name, QByteArray::fromStdString(std::string(name) == "HOME" ? root().string() : folder.string()));
    }
    writeFile(recoveryFolder() / "DCIM" / "IMG_0142.JPG", 180'000, 'j');
    writeFile(recoveryFolder() / "DCIM" / "MOV_0143.MP4", 2'400'000, 'm');
    writeFile(recoveryFolder() / "Documents" / "Budget.pdf", 64'000, 'p');
    writeHolidayArchive(damagedFiles().front());
    writeFile(damagedFiles().back(), 4'096, '\0');
}

std::vector<std::filesystem::path> SampleState::damagedFiles() const {
    // The archive comes first, so the File Repair page opens on its diagnosis.
    return {root() / "Damaged" / "Holiday.zip", root() / "Damaged" / "Quarterly Report.docx"};
}

AppModel::Engines SampleState::engines() const {
    AppModel::Engines engines = AppModel::realEngines();
    engines.scanApps = [](bool) { return inventory(); };
    engines.scanSafeCleanup = [] { return safeItems(); };
    engines.scanLeftovers = [](const std::vector<AppInfo>&) { return leftoverGroups(); };
    engines.mountedExternalVolumes = [folder = recoveryFolder()] {
        ExternalRecoveryVolume card;
        card.id = folder.string() + "#sdb1";
        card.name = "Camera Card";
        card.mountURL = folder;
        card.deviceIdentifier = cardDevice;
        card.fileSystem = "FAT32";
        card.totalBytes = 31'900'000'000;
        card.availableBytes = 12'400'000'000;
        card.isRemovable = true;
        return std::vector<ExternalRecoveryVolume>{card};
    };
    engines.refreshedVolume = [](const ExternalRecoveryVolume& volume) { return std::optional(volume); };
    return engines;
}

}  // namespace tidewell::screenshots
