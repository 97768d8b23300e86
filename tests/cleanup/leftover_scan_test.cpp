#include "cleanup/leftover_scan.h"

#include <gtest/gtest.h>

#include "platform/disk_usage.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

AppInfo installed(const std::string& name, const std::string& bundleIdentifier) {
    AppInfo app;
    app.name = name;
    app.bundleIdentifier = bundleIdentifier;
    return app;
}

class LeftoverScanTest : public ::testing::Test {
protected:
    // A file of `bytes` at Library/<relative>.
    fs::path put(const std::string& relative, std::size_t bytes = 20000) {
        const fs::path path = home.path() / "Library" / relative;
        writeFile(path, std::string(bytes, 'x'));
        return path;
    }
    const LeftoverGroup* group(const std::vector<LeftoverGroup>& groups, const std::string& key) {
        for (const LeftoverGroup& found : groups)
            if (found.id == key) return &found;
        return nullptr;
    }
    std::vector<std::string> keys(const std::vector<LeftoverGroup>& groups) {
        std::vector<std::string> result;
        for (const LeftoverGroup& found : groups) result.push_back(found.id);
        return result;
    }
    testing::TemporaryHome home;
};

TEST_F(LeftoverScanTest, PreferencesAndContainerOfOneAppFormOneGroup) {
    const fs::path container = put("Containers/com.example.tool/Data/store", 40000).parent_path().parent_path();
    const fs::path preferences = put("Preferences/com.example.tool.plist", 100);

    const std::vector<LeftoverGroup> groups = AppScanner::scanLeftovers({});
    ASSERT_EQ(keys(groups), std::vector<std::string>{"com.example.tool"});
    const LeftoverGroup& tool = groups[0];
    EXPECT_EQ(tool.name, "Tool");
    EXPECT_EQ(tool.matchToken, "com.example.tool");
    ASSERT_EQ(tool.candidates.size(), 2u);
    const CleanupCandidate& first = tool.candidates[0];
    EXPECT_EQ(first, (CleanupCandidate{container.string(), Kind::container, "com.example.tool", container.string(),
                                       first.sizeBytes, Safety::review,
                                       "Container name matches deleted bundle id com.example.tool", false, true,
                                       "Sandbox container may include user data. Review before selecting."}));
    EXPECT_EQ(first.sizeBytes, platform::directorySize(container));
    const CleanupCandidate& second = tool.candidates[1];
    EXPECT_EQ(second.path, preferences.string());
    EXPECT_EQ(second.kind, Kind::preferences);
    EXPECT_EQ(second.safetyLevel, Safety::likely);
    EXPECT_TRUE(second.defaultSelected);
    EXPECT_EQ(second.evidence, "Preferences name matches deleted bundle id com.example.tool");
    EXPECT_EQ(second.note, "Preference file left behind by an app.");

    EXPECT_EQ(tool.itemCountText(), "2 items");
    EXPECT_EQ(tool.riskText(), "Review needed");
    EXPECT_EQ(tool.ownerText(), "Likely from Example");
    EXPECT_EQ(tool.sourceDetailText(), "Bundle id: com.example.tool");
    EXPECT_EQ(tool.removalAdviceText(),
              "Review contents first. This may include settings, local databases, login state, drafts, or "
              "user-created data.");
}

TEST_F(LeftoverScanTest, UUIDNamesAreNeverReported) {
    put("Containers/0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9/Data/x");
    put("Group Containers/0a1b2c3d4e5f60718293a4b5c6d7e8f9/x");
    put("Preferences/0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9.plist");
    EXPECT_TRUE(AppScanner::scanLeftovers({}).empty());
}

TEST_F(LeftoverScanTest, InstalledAppsAreExcludedByIdentifierAndName) {
    put("Preferences/com.vendor.editor.plist");  // identifier installed in another case
    put("Caches/photo-helper");                  // the normalised name of an installed app
    put("Caches/net.old.sketch-pad");            // a bundle-like name whose display name is installed
    put("Caches/com.gone.viewer");
    const std::vector<AppInfo> apps{installed("Editor Pro", "COM.Vendor.Editor"),
                                    installed("Photo Helper", "Unknown Bundle ID"),
                                    installed("Sketch Pad", "com.other.sketch")};
    EXPECT_EQ(keys(AppScanner::scanLeftovers(apps)), std::vector<std::string>{"com.gone.viewer"});
}

TEST_F(LeftoverScanTest, PlainShortLinkedLockedEmptyAndHiddenEntriesAreSkipped) {
    put("Caches/abc-");          // token of three letters
    put("Caches/Photoshopper");  // a plain word
    put("Caches/com.gone.app.lockfile");
    put("Caches/.com.hidden.app");
    fs::create_directories(home.path() / "Library/Caches/com.empty.app");
    const fs::path target = put("Elsewhere/com.linked.app");
    fs::create_symlink(target, home.path() / "Library/Caches/com.linked.app");
    fs::create_directory_symlink(put("Elsewhere/com.linkedfolder.app/data").parent_path(),
                                 home.path() / "Library/Caches/com.linkedfolder.app");
    put("Caches/zoom-monitor", 30000);

    const std::vector<LeftoverGroup> groups = AppScanner::scanLeftovers({});
    ASSERT_EQ(keys(groups), std::vector<std::string>{"zoommonitor"});
    EXPECT_EQ(groups[0].name, "zoom-monitor");
    EXPECT_EQ(groups[0].candidates[0].evidence, "Cache name matches deleted app name zoom-monitor");
    EXPECT_EQ(groups[0].ownerText(), "Likely from zoom-monitor");
    EXPECT_EQ(groups[0].sourceDetailText(), "Matched token: zoommonitor");
    EXPECT_EQ(groups[0].riskText(), "Safe match");
    EXPECT_EQ(groups[0].itemCountText(), "1 item");
    EXPECT_EQ(groups[0].removalAdviceText(),
              "Usually safe if you no longer use the related app, because this item is cache, preferences, or "
              "scripts.");
}

TEST_F(LeftoverScanTest, AppleComponentsAndFixedKeysAreGrouped) {
    put("Containers/com.apple.weather.widget/Data/x", 8000);
    put("Application Scripts/com.macpaw.CleanMyMac4.Menu/s", 50000);
    put("Caches/com.macpaw.CleanMyMac4", 60000);
    put("Preferences/MacPaw Updater.plist", 100);

    const std::vector<LeftoverGroup> groups = AppScanner::scanLeftovers({});
    ASSERT_EQ(keys(groups), (std::vector<std::string>{"cleanmymac", "com.apple.weather.widget", "macpaw"}));
    const LeftoverGroup& cleaner = groups[0];
    EXPECT_EQ(cleaner.name, "CleanMyMac");
    EXPECT_EQ(cleaner.candidates.size(), 2u);
    EXPECT_EQ(cleaner.candidates[0].evidence, "Cache name matches deleted app name CleanMyMac");
    EXPECT_EQ(cleaner.riskText(), "Likely related");
    EXPECT_EQ(cleaner.ownerText(), "Likely from CleanMyMac");
    EXPECT_EQ(group(groups, "macpaw")->candidates[0].evidence, "Preferences name matches deleted vendor name MacPaw");

    const LeftoverGroup& apple = *group(groups, "com.apple.weather.widget");
    EXPECT_EQ(apple.name, "Widget");
    EXPECT_EQ(apple.ownerText(), "Apple / macOS system component");
    EXPECT_EQ(apple.removalAdviceText(),
              "Keep this unless you are troubleshooting that Apple feature. Small system "
              "containers usually recreate themselves.");

    // Installed, the app's name keeps its fixed-key leftovers out.
    EXPECT_EQ(keys(AppScanner::scanLeftovers({installed("CleanMyMac", "com.macpaw.CleanMyMac5")})),
              (std::vector<std::string>{"com.apple.weather.widget", "macpaw"}));
}

TEST_F(LeftoverScanTest, FirstDisplayNameInRootOrderWins) {
    put("Caches/com.example.Viewer-App", 30000);
    put("Preferences/com.example.viewer-app.plist", 100);
    const std::vector<LeftoverGroup> groups = AppScanner::scanLeftovers({});
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "Viewer App");
    EXPECT_EQ(groups[0].candidates.size(), 2u);
}

TEST(LeftoverGroupTest, UnknownOwnerForUUIDNames) {
    const LeftoverGroup group{"0a1b2c3d4e5f60718293a4b5c6d7e8f9", "0a1b2c3d4e5f60718293a4b5c6d7e8f9",
                              "0a1b2c3d4e5f60718293a4b5c6d7e8f9"};
    EXPECT_EQ(group.ownerText(), "Unknown container");
    EXPECT_EQ(group.sourceDetailText(), "UUID-style container name. Tidewell cannot identify the app owner.");
    EXPECT_EQ(group.removalAdviceText(),
              "Do not remove by default. The owner is unknown, and this may belong to a "
              "system extension, widget, or sandbox helper.");
    EXPECT_EQ(group.itemCountText(), "0 items");
}

TEST(LeftoverNameTest, BundleLikeNamesAndHints) {
    EXPECT_EQ(AppScanner::bundleIdentifierCandidate("com.example.tool.plist"), "com.example.tool");
    EXPECT_EQ(AppScanner::bundleIdentifierCandidate("IO.Vendor.App"), "IO.Vendor.App");
    EXPECT_EQ(AppScanner::bundleIdentifierCandidate("com.example"), std::nullopt);
    EXPECT_EQ(AppScanner::bundleIdentifierCandidate("my.tool.data"), std::nullopt);
    EXPECT_EQ(AppScanner::displayNameFromBundleLike("com.example.my-tool.plist"), "My Tool");
    EXPECT_EQ(AppScanner::displayNameFromBundleLike("com.example."), "com.example.");
    EXPECT_TRUE(AppScanner::looksLikeAppLeftoverName("SyncMenu"));
    EXPECT_TRUE(AppScanner::looksLikeAppLeftoverName("a_b"));
    EXPECT_FALSE(AppScanner::looksLikeAppLeftoverName("Photoshopper"));
}

}  // namespace
}  // namespace tidewell
