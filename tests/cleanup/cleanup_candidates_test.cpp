#include "cleanup/cleanup_candidates.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

TEST(CleanupCandidates, PlanOrderWithStartupItemsHelpersAndInstallers) {
    testing::TemporaryFolder folder;
    const fs::path agent = folder / "agent.plist", daemon = folder / "daemon.plist", helper = folder / "helper";
    testing::writeFile(agent, std::string(300, 'a'));
    testing::writeFile(daemon, std::string(5000, 'd'));
    testing::writeFile(helper, std::string(9000, 'h'));
    const LaunchAgentInfo userItem{agent.string(), "com.x.agent", agent.string(), "/Applications/X.app/x",
                                   false,          true,          false,          std::nullopt};
    const LaunchAgentInfo systemItem{daemon.string(), "com.x.daemon", daemon.string(), helper.string(), true,
                                     false,           true,           helper.string()};
    AppScanner::RelatedUsage related;
    related.cache = 10;
    related.candidates.push_back({"/c", Kind::cache, "Bundle cache", "/c", 10, Safety::safe, "e", true, true, "n"});
    const AppScanner::InstallerCandidate installer{"X-1.0", "/Downloads/X-1.0.dmg", 0};

    const auto candidates =
        AppScanner::cleanupCandidates("/Applications/X.app", "/Home/Applications/X.app", "X", "com.x", 777, related,
                                      {installer}, {userItem, systemItem}, false);
    const std::vector<CleanupCandidate> expected{
        {"/Home/Applications/X.app", Kind::appLink, "X.app", "/Home/Applications/X.app", 0, Safety::safe,
         "Application link points to selected app bundle", true, true,
         "Shortcut in Applications. Moving it prevents a broken app icon from remaining."},
        {"/Applications/X.app", Kind::appBundle, "X.app", "/Applications/X.app", 777, Safety::safe,
         "Inside selected app bundle", true, true, "Main app bundle."},
        related.candidates[0],
        {agent.string(), Kind::launchAgent, "com.x.agent", agent.string(), testing::allocatedBytesByFind(agent),
         Safety::likely, "LaunchAgent Program points to selected app", true, true,
         "User-level startup item can relaunch this app."},
        {daemon.string(), Kind::launchAgent, "com.x.daemon", daemon.string(), testing::allocatedBytesByFind(daemon),
         Safety::protected_, "System-level startup item", false, false,
         "Requires administrator helper in a future build."},
        {helper.string(), Kind::privilegedHelper, "helper", helper.string(), testing::allocatedBytesByFind(helper),
         Safety::protected_, "Privileged helper referenced by system launch item", false, false,
         "Admin helper support is required before Tidewell can remove this safely."},
        {"/Downloads/X-1.0.dmg", Kind::installer, "X-1.0", "/Downloads/X-1.0.dmg", 0, Safety::review,
         "Installer name matched in Downloads", false, true,
         "Installer in Downloads. Optional; users may keep installers as backups."},
    };
    EXPECT_EQ(candidates, expected);
}

TEST(CleanupCandidates, ProtectedAppKeepsLinkAndBundleLocked) {
    const auto candidates = AppScanner::cleanupCandidates("/System/Applications/Calc.app", "/Applications/Calc.app",
                                                          "Calc", "com.calc", 5, {}, {}, {}, true);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0], (CleanupCandidate{"/Applications/Calc.app", Kind::appLink, "Calc.app",
                                               "/Applications/Calc.app", 0, Safety::protected_,
                                               "System application link", false, false, "System app link is locked."}));
    EXPECT_EQ(candidates[1].safetyLevel, Safety::protected_);
    EXPECT_EQ(candidates[1].evidence, "System application path");
    EXPECT_EQ(candidates[1].note, "System app is locked.");
    EXPECT_FALSE(candidates[1].isSelectable);
}

}  // namespace
}  // namespace tidewell
