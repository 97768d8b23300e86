#include "cleanup/freedesktop/related_files.h"

#include <gtest/gtest.h>

#include "cleanup/xdg_home_fixture.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::XDGHomeFixture;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

const CleanupCandidate* find(const AppScanner::RelatedUsage& usage, const fs::path& path) {
    for (const auto& candidate : usage.candidates)
        if (candidate.path == path.string()) return &candidate;
    return nullptr;
}

LinuxApp packageApp() {
    LinuxApp app;
    app.origin = AppOrigin::debianPackage;
    app.identifier = "gimp";
    app.name = "GNU Image Manipulation Program";
    app.executable = "/usr/bin/gimp-2.10";
    return app;
}

TEST(RelatedKeys, OrderAndUniqueness) {
    LinuxApp flatpak;
    flatpak.origin = AppOrigin::flatpak;
    flatpak.identifier = "org.gimp.GIMP";
    flatpak.name = "GIMP";
    flatpak.executable = "/app/bin/gimp";
    EXPECT_EQ(relatedKeys(flatpak), (std::vector<std::string>{"org.gimp.GIMP", "GIMP", "gimp"}));
    EXPECT_EQ(relatedKeys(packageApp()),
              (std::vector<std::string>{"gimp", "gimp-2.10", "GNU Image Manipulation Program"}));
    LinuxApp local;
    local.identifier = "notes.desktop";
    local.name = "";
    EXPECT_EQ(relatedKeys(local), (std::vector<std::string>{"notes"}));
    LinuxApp twoPieces;
    twoPieces.identifier = "python3.11";
    twoPieces.name = "Python";
    EXPECT_EQ(relatedKeys(twoPieces), (std::vector<std::string>{"python3.11", "Python"}));
}

TEST(RelatedFiles, PackageAppRowsInXDGFolders) {
    XDGHomeFixture fixture;
    XDGHomeFixture::writeSized(fixture.cache() / "gimp/thumbs/a", 4000);
    XDGHomeFixture::writeSized(fixture.data() / "GIMP/brushes/b", 5000);  // case differs: reviewed
    XDGHomeFixture::writeSized(fixture.config() / "gimp-2.10rc", 700);
    XDGHomeFixture::writeSized(fixture.config() / "gimp.conf", 300);
    XDGHomeFixture::writeSized(fixture.config() / "GNU Image Manipulation Program/x", 300);
    XDGHomeFixture::writeSized(fixture.state() / "gimp/history", 200);
    XDGHomeFixture::writeSized(fixture.state() / "gimp-2.10.log", 900);
    XDGHomeFixture::writeSized(fixture.state() / "other.log", 900);
    XDGHomeFixture::writeSized(fixture.cache() / "gimpish/x", 900);
    fs::create_directories(fixture.cache() / "gimp-2.10");  // empty: no row

    const auto usage = relatedFiles(packageApp());
    ASSERT_EQ(usage.candidates.size(), 7u);

    const auto* cache = find(usage, fixture.cache() / "gimp");
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->kind, Kind::cache);
    EXPECT_EQ(cache->safetyLevel, Safety::safe);
    EXPECT_TRUE(cache->defaultSelected);
    EXPECT_EQ(cache->evidence, "Folder name matches the app identifier");

    const auto* data = find(usage, fixture.data() / "GIMP");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->kind, Kind::applicationSupport);
    EXPECT_EQ(data->safetyLevel, Safety::review);
    EXPECT_FALSE(data->defaultSelected);
    EXPECT_EQ(data->evidence, "Folder name matches the app identifier (ignoring case)");
    EXPECT_EQ(usage.supportReview, data->sizeBytes);
    EXPECT_EQ(usage.support, 0);

    const auto* rc = find(usage, fixture.config() / "gimp-2.10rc");
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc->kind, Kind::preferences);
    EXPECT_EQ(rc->evidence, "File name matches the app's executable name");
    EXPECT_EQ(rc->safetyLevel, Safety::safe);
    const auto* conf = find(usage, fixture.config() / "gimp.conf");
    ASSERT_NE(conf, nullptr);
    EXPECT_EQ(conf->evidence, "File name matches the app identifier");
    const auto* byName = find(usage, fixture.config() / "GNU Image Manipulation Program");
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->safetyLevel, Safety::review);
    EXPECT_EQ(byName->evidence, "Folder name matches the app name");
    EXPECT_EQ(usage.preferences, rc->sizeBytes + conf->sizeBytes + byName->sizeBytes);

    const auto* state = find(usage, fixture.state() / "gimp");
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->kind, Kind::savedState);
    const auto* log = find(usage, fixture.state() / "gimp-2.10.log");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->kind, Kind::logs);
    EXPECT_EQ(log->safetyLevel, Safety::likely);
    EXPECT_EQ(usage.logs, log->sizeBytes);
    EXPECT_EQ(usage.total(), usage.cache + usage.supportReview + usage.preferences + usage.savedState + usage.logs);
}

TEST(RelatedFiles, EachFolderOnceAndNeverASharedPlace) {
    XDGHomeFixture fixture;
    LinuxApp app;
    app.origin = AppOrigin::local;
    app.identifier = "fontconfig";  // a name the deny list holds
    app.name = "Notes";
    app.executable = fixture.home() / "Apps/notes/notes";
    XDGHomeFixture::writeSized(fixture.cache() / "fontconfig/cache", 4000);
    XDGHomeFixture::writeSized(fixture.config() / "autostart/notes.desktop", 100);
    XDGHomeFixture::writeSized(fixture.config() / "notes/settings.ini", 400);  // executable exactly, name ignoring case

    const auto usage = relatedFiles(app);
    ASSERT_EQ(usage.candidates.size(), 1u);
    EXPECT_EQ(usage.candidates[0].path, (fixture.config() / "notes").string());
    EXPECT_EQ(usage.candidates[0].evidence, "Folder name matches the app's executable name");
}

TEST(RelatedFiles, FlatpakRowsInItsSandboxFolder) {
    XDGHomeFixture fixture;
    LinuxApp app;
    app.origin = AppOrigin::flatpak;
    app.identifier = "org.example.Viewer";
    app.name = "Viewer";
    const fs::path sandbox = fixture.home() / ".var/app/org.example.Viewer";
    XDGHomeFixture::writeSized(sandbox / "cache/c", 3000);
    XDGHomeFixture::writeSized(sandbox / "data/d", 2000);
    XDGHomeFixture::writeSized(sandbox / "config/e", 1000);
    XDGHomeFixture::writeSized(fixture.cache() / "Viewer/x", 1000);  // the host's folder is not the sandbox's

    // The sandbox home is one item (it goes to the Trash whole), measured by its parts.
    XDGHomeFixture::writeSized(sandbox / ".local/state/s", 500);
    const auto usage = relatedFiles(app);
    ASSERT_EQ(usage.candidates.size(), 1u);
    EXPECT_EQ(usage.candidates[0].path, sandbox.string());
    EXPECT_EQ(usage.candidates[0].kind, Kind::container);
    EXPECT_EQ(usage.candidates[0].evidence, "Flatpak data folder of the app identifier");
    EXPECT_TRUE(usage.candidates[0].defaultSelected);
    EXPECT_GT(usage.cache, 0);
    EXPECT_GT(usage.support, 0);
    EXPECT_GT(usage.preferences, 0);
    EXPECT_EQ(usage.total(), usage.candidates[0].sizeBytes) << "every byte of the folder is counted once";
}

TEST(RelatedFiles, SnapRowIsItsHomeFolder) {
    XDGHomeFixture fixture;
    LinuxApp app;
    app.origin = AppOrigin::snap;
    app.identifier = "editor";
    app.name = "Editor";
    XDGHomeFixture::writeSized(fixture.home() / "snap/editor/common/x", 3000);

    const auto usage = relatedFiles(app);
    ASSERT_EQ(usage.candidates.size(), 1u);
    EXPECT_EQ(usage.candidates[0].path, (fixture.home() / "snap/editor").string());
    EXPECT_EQ(usage.candidates[0].kind, Kind::container);
    EXPECT_EQ(usage.candidates[0].evidence, "Snap data folder of the snap name");
    EXPECT_EQ(usage.support, usage.candidates[0].sizeBytes);
}

TEST(RelatedFiles, IdentifierThatClimbsOutIsIgnored) {
    XDGHomeFixture fixture;
    LinuxApp app;
    app.identifier = "..";
    app.name = "x/y";
    XDGHomeFixture::writeSized(fixture.cache() / "a", 3000);
    EXPECT_TRUE(relatedFiles(app).candidates.empty());
}

}  // namespace
}  // namespace tidewell::Freedesktop
