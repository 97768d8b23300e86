#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>

#include "cleanup/linux_system_fixture.h"
#include "cleanup/report_store.h"
#include "cli/tidewell_process.h"
#include "cli/trash_contents.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::LinuxSystemFixture;
using testing::runTidewell;
using testing::trashedCopyOf;

using Snapshot = std::vector<std::pair<std::string, std::int64_t>>;

// The tree without the cleanup history (and the folders made for it), which every carried-out
// plan adds its report to.
Snapshot snapshotWithoutHistory(const fs::path& root) {
    Snapshot entries = testing::treeSnapshot(root);
    const std::string history = ReportStore::fileURL().parent_path().string();
    std::erase_if(entries, [&](const auto& entry) {
        return entry.first.starts_with(history) || history.starts_with(entry.first + "/");
    });
    return entries;
}

const nlohmann::json& candidateLabelled(const nlohmann::json& plan, const std::string& label) {
    for (const auto& candidate : plan["candidates"])
        if (candidate["label"] == label) return candidate;
    static const nlohmann::json none;
    ADD_FAILURE() << "no candidate labelled " << label << " in " << plan.dump();
    return none;
}

// A re-rooted system with packages that depend on one another (see
// LinuxSystemFixture::installDependentPackages). apt runs for real against the root.
class UninstallDebianPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LinuxSystemFixture::haveDebianTools()) GTEST_SKIP() << "apt-get, dpkg, dpkg-deb and dpkg-query are needed";
        if (::geteuid() != 0) GTEST_SKIP() << "without root the removal asks for rights through pkexec";
        ASSERT_EQ(system.installDependentPackages(), "");
    }

    std::string packageState(const std::string& package) const { return system.packageState(package); }

    // The packages of the "Remv" lines apt-get itself prints for the removal in the root.
    std::vector<std::string> aptWouldRemove(const std::string& package) const {
        const std::string root = system.root().string();
        std::string output;
        EXPECT_EQ(testing::runTool("apt-get",
                                   {"-o", "Dir=" + root, "-o", "Dir::State::status=" + root + "/var/lib/dpkg/status",
                                    "-s", "remove", package},
                                   &output),
                  0)
            << output;
        std::vector<std::string> packages;
        std::istringstream lines(output);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("Remv ", 0) != 0) continue;
            std::istringstream words(line.substr(5));
            std::string name;
            words >> name;
            packages.push_back(name.substr(0, name.find(':')));
        }
        return packages;
    }

    LinuxSystemFixture system;
    testing::ScopedEnvironment language{"LC_ALL", "C"};
};

TEST_F(UninstallDebianPackageTest, PlanShowsWhatAptWouldTakeAlongAndChangesNothing) {
    const Snapshot homeBefore = testing::treeSnapshot(system.home());
    const Snapshot rootBefore = testing::treeSnapshot(system.root());

    const auto run = runTidewell({"uninstall", "tw-libview", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto plan = run.json();
    EXPECT_EQ(plan["app"]["name"], "Viewer Library");
    const auto& package = candidateLabelled(plan, "Viewer Library");
    EXPECT_EQ(package["route"], "Removed by apt");
    EXPECT_EQ(package["selected"], true);
    EXPECT_EQ(plan["simulation"]["packages"], nlohmann::json({"tw-viewer", "tw-libview"}));
    EXPECT_TRUE(plan["simulation"]["refusal"].is_null());

    const auto text = runTidewell({"uninstall", "tw-libview"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("  Removed by apt  "));
    EXPECT_THAT(text.out, HasSubstr("\n  tw-viewer\n  tw-libview\n"));

    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);
    EXPECT_EQ(packageState("tw-libview"), "ii ");
    // apt itself, asked afterwards (its own run writes its planner log into the root).
    EXPECT_EQ(plan["simulation"]["packages"], nlohmann::json(aptWouldRemove("tw-libview")));
}

TEST_F(UninstallDebianPackageTest, RemovalThatTakesARequiredPackageIsRefusedAndChangesNothing) {
    const std::string refusal = "apt would also remove packages the system needs: tw-login.";
    const auto plan = runTidewell({"uninstall", "tw-shell", "--json"});
    EXPECT_EQ(plan.status, 1) << plan.err;
    EXPECT_EQ(plan.json()["simulation"]["packages"], nlohmann::json({"tw-login", "tw-shell"}));
    EXPECT_EQ(plan.json()["simulation"]["refusal"], refusal);

    const Snapshot homeBefore = snapshotWithoutHistory(system.home());
    const Snapshot rootBefore = testing::treeSnapshot(system.root());
    const auto run = runTidewell({"uninstall", "tw-shell", "--yes"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Tidewell did not remove Shell: " + refusal + " Nothing was changed.\n"));
    EXPECT_EQ(packageState("tw-shell"), "ii ");
    EXPECT_EQ(packageState("tw-login"), "ii ");
    EXPECT_EQ(snapshotWithoutHistory(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);

    // The history keeps the refusal, as the Applications page does.
    const std::vector<CleanupReport> history = ReportStore::load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().appName, "Shell");
    EXPECT_TRUE(history.front().movedItems.empty());
    EXPECT_THAT(history.front().failedItems, ElementsAre("Remove Shell: " + refusal));
}

TEST_F(UninstallDebianPackageTest, AllowedRemovalTakesThePackageAndItsDependentAndReportsIt) {
    const auto run = runTidewell({"uninstall", "tw-libview", "--yes", "--json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    for (const char* gone : {"tw-libview", "tw-viewer"}) {
        const std::string state = packageState(gone);
        EXPECT_TRUE(state == "absent" || state == "rc " || state == "un ") << gone << ": " << state;
    }
    for (const char* kept : {"tw-shell", "tw-login", "tw-leaf", "tw-keep"})
        EXPECT_EQ(packageState(kept), "ii ") << kept;
    EXPECT_FALSE(fs::exists(system.system("/usr/bin/tw-libview")));

    const auto report = run.json()["report"];
    EXPECT_EQ(report["done"], nlohmann::json({"Viewer Library"}));
    EXPECT_EQ(report["failed"], nlohmann::json::array());
    EXPECT_EQ(report["status"], 0);
    EXPECT_EQ(report["summary"], "Removed by apt: Viewer Library.");
    const std::vector<CleanupReport> history = ReportStore::load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history.front().appName, "Viewer Library");
    EXPECT_THAT(history.front().movedItems, ElementsAre("Viewer Library"));
}

// flatpak list of the fixture's user installation.
std::string userFlatpakApps() {
    std::string output;
    if (testing::runTool("flatpak", {"list", "--user", "--app", "--columns=application"}, &output) != 0)
        return "flatpak list failed: " + output;
    return output;
}

TEST(UninstallFlatpakTest, FlatpakUninstallsTheAppAndItsDataGoesToTheTrash) {
    if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    LinuxSystemFixture system;
    ASSERT_EQ(system.installFlatpak("org.tidewell.Gone", "Gone", "1.0"), "");
    const fs::path data = system.home() / ".var/app/org.tidewell.Gone";
    testing::writeFile(data / "config/settings.ini", "[window]\nwidth=640\n");
    ASSERT_EQ(userFlatpakApps(), "org.tidewell.Gone\n");

    const auto run = runTidewell({"uninstall", "org.tidewell.Gone", "--yes", "--json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(candidateLabelled(run.json(), "Gone")["route"], "Removed by Flatpak");
    EXPECT_EQ(candidateLabelled(run.json(), "Flatpak data")["route"], "Moved to Trash");
    EXPECT_EQ(userFlatpakApps(), "");
    EXPECT_FALSE(fs::exists(data));
    const auto trashed = trashedCopyOf(data);
    ASSERT_TRUE(trashed) << data;
    EXPECT_EQ(testing::readFile(*trashed / "config/settings.ini"), "[window]\nwidth=640\n");
    EXPECT_EQ(run.json()["report"]["done"], nlohmann::json({"Gone", "Flatpak data"}));
    EXPECT_EQ(run.json()["report"]["summary"], "Removed by Flatpak: Gone. Moved to Trash: Flatpak data.");
}

// An AppImage and a local app (a folder in Home), each with its menu entry and icon in the
// user's data folder.
class UninstallUserAppTest : public ::testing::Test {
protected:
    UninstallUserAppTest() {
        image = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");
        imageEntry = LinuxSystemFixture::writeDesktopEntry(
            applications, "viewer.desktop",
            {{"Type", "Application"}, {"Name", "Viewer"}, {"Exec", image.string()}, {"Icon", "viewer"}});
        imageIcon = icons / "viewer.png";
        testing::writeFile(imageIcon, "viewer icon");

        notes = system.home() / "apps/Notes";
        testing::writeFile(notes / "notes", "#!/bin/sh\nexit 0\n");
        fs::permissions(notes / "notes", fs::perms::owner_all);
        testing::writeFile(notes / "notes.dat", std::string(3000, 'n'));
        notesEntry = LinuxSystemFixture::writeDesktopEntry(
            applications, "notes.desktop",
            {{"Type", "Application"}, {"Name", "Notes"}, {"Exec", (notes / "notes").string()}, {"Icon", "notes"}});
        notesIcon = icons / "notes.png";
        testing::writeFile(notesIcon, "notes icon");
    }

    LinuxSystemFixture system;
    const fs::path applications = system.home() / ".local/share/applications";
    const fs::path icons = system.home() / ".local/share/icons/hicolor/48x48/apps";
    fs::path image, imageEntry, imageIcon;
    fs::path notes, notesEntry, notesIcon;
};

TEST_F(UninstallUserAppTest, MovesTheAppItsMenuEntryAndItsIconToTheTrash) {
    const auto plan = runTidewell({"uninstall", "Viewer", "--json"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    EXPECT_TRUE(plan.json()["simulation"].is_null());
    EXPECT_EQ(candidateLabelled(plan.json(), "Viewer")["route"], "Moved to Trash");

    const auto run = runTidewell({"uninstall", "Viewer", "--yes", "--json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    for (const fs::path& moved : {image, imageEntry, imageIcon}) {
        EXPECT_FALSE(fs::exists(moved)) << moved;
        EXPECT_TRUE(trashedCopyOf(moved)) << moved;
    }
    EXPECT_EQ(testing::readFile(*trashedCopyOf(imageIcon)), "viewer icon");
    EXPECT_EQ(run.json()["report"]["done"], nlohmann::json({"Menu entry viewer.desktop", "Icon viewer.png", "Viewer"}));
    for (const fs::path& kept : {notes, notesEntry, notesIcon}) EXPECT_TRUE(fs::exists(kept)) << kept;
}

TEST_F(UninstallUserAppTest, AnExcludedIconStaysInPlace) {
    const auto run = runTidewell({"uninstall", "Notes", "--yes", "--exclude", "notes.png"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_THAT(run.out, HasSubstr("  [ ] Icon notes.png  "));
    for (const fs::path& moved : {notes, notesEntry}) {
        EXPECT_FALSE(fs::exists(moved)) << moved;
        EXPECT_TRUE(trashedCopyOf(moved)) << moved;
    }
    EXPECT_EQ(testing::readFile(*trashedCopyOf(notes) / "notes.dat"), std::string(3000, 'n'));
    EXPECT_EQ(testing::readFile(notesIcon), "notes icon");
    EXPECT_FALSE(trashedCopyOf(notesIcon));
    const std::vector<CleanupReport> history = ReportStore::load();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_THAT(history.front().movedItems, ElementsAre("Menu entry notes.desktop", "Notes"));
}

TEST_F(UninstallUserAppTest, UsageErrorsChangeNothing) {
    LinuxSystemFixture::writeDesktopEntry(
        applications, "notes-copy.desktop",
        {{"Type", "Application"}, {"Name", "Notes"}, {"Exec", (system.home() / "apps/NotesCopy/notes").string()}});
    testing::writeFile(system.home() / "apps/NotesCopy/notes", "#!/bin/sh\nexit 0\n");
    fs::permissions(system.home() / "apps/NotesCopy/notes", fs::perms::owner_all);
    const Snapshot homeBefore = testing::treeSnapshot(system.home());
    const Snapshot rootBefore = testing::treeSnapshot(system.root());
    const std::string usage =
        "Usage: tidewell uninstall APP [--yes] [--force-quit] [--include NAME]... [--exclude NAME]... [--json]\n";

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"uninstall", "Viewer", "--yes", "--include", "viewr.png"},
         "--include viewr.png names no selectable item of the plan"},
        {{"uninstall", "Viewer", "--yes", "--exclude", "viewer.desktop", "--exclude", "Icon viewr.png"},
         "--exclude Icon viewr.png names no selectable item of the plan"},
        {{"uninstall", "Viewr", "--yes"}, "no installed app is named Viewr (tidewell apps lists them)"},
        {{"uninstall", "Notes", "--yes"},
         "Notes names 2 apps; name one by its id: " + (applications / "notes-copy.desktop").string() + ", " +
             notesEntry.string()},
        {{"uninstall", "--yes"}, "name one app"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto run = runTidewell(arguments);
        EXPECT_EQ(run.status, 64) << message;
        EXPECT_EQ(run.err, "tidewell: " + message + "\n" + usage);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);
}

}  // namespace
}  // namespace tidewell
