#include "cleanup/related_usage.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::allocatedBytesByFind;
using testing::writeFile;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

class RelatedUsageTest : public ::testing::Test {
protected:
    fs::path library() const { return layout.home() / "Library"; }
    testing::AppLayoutFixture layout;
};

TEST_F(RelatedUsageTest, BuildsEveryRowInOrder) {
    writeFile(library() / "Caches/com.vendor.editor/a/b", std::string(9000, 'c'));
    writeFile(library() / "Application Support/com.vendor.editor/store", std::string(5000, 's'));
    writeFile(library() / "Application Support/Editor/named", std::string(3000, 'n'));
    writeFile(library() / "Preferences/com.vendor.editor.plist", "<plist/>");
    writeFile(library() / "Saved Application State/com.vendor.editor.savedState/windows", "w");
    writeFile(library() / "Logs/com.vendor.editor.log", "l");

    const auto usage = AppScanner::relatedUsage("com.vendor.editor", "Editor");
    const auto path = [&](const std::string& relative) { return (library() / relative).string(); };
    const std::string cache = path("Caches/com.vendor.editor"), support = path("Application Support/com.vendor.editor"),
                      named = path("Application Support/Editor"),
                      preferences = path("Preferences/com.vendor.editor.plist"),
                      state = path("Saved Application State/com.vendor.editor.savedState"),
                      log = path("Logs/com.vendor.editor.log");
    EXPECT_EQ(usage.cache, allocatedBytesByFind(cache));
    EXPECT_EQ(usage.support, allocatedBytesByFind(support));
    EXPECT_EQ(usage.supportReview, allocatedBytesByFind(named));
    EXPECT_EQ(usage.preferences, allocatedBytesByFind(preferences));
    EXPECT_EQ(usage.savedState, allocatedBytesByFind(state));
    EXPECT_EQ(usage.logs, allocatedBytesByFind(log));
    EXPECT_EQ(usage.total(),
              usage.cache + usage.support + usage.supportReview + usage.preferences + usage.savedState + usage.logs);
    const std::vector<CleanupCandidate> expected{
        {cache, Kind::cache, "Bundle cache", cache, usage.cache, Safety::safe, "Bundle ID exact cache path", true, true,
         "High-confidence cache path."},
        {support, Kind::applicationSupport, "Bundle Application Support", support, usage.support, Safety::review,
         "Bundle ID support path, may contain user data", false, true,
         "May contain app data. Review before selecting."},
        {named, Kind::applicationSupport, "Name-matched Application Support", named, usage.supportReview,
         Safety::review, "Name match only", false, true, "Name match only. Review carefully."},
        {preferences, Kind::preferences, "Preferences", preferences, usage.preferences, Safety::safe,
         "Bundle ID exact preference file", true, true, "Bundle ID preference file."},
        {state, Kind::savedState, "Saved application state", state, usage.savedState, Safety::safe,
         "Bundle ID exact saved state path", true, true, "Restored window state."},
        {log, Kind::logs, "com.vendor.editor.log", log, usage.logs, Safety::likely, "Bundle ID log match", true, true,
         "Bundle ID log match."},
    };
    EXPECT_EQ(usage.candidates, expected);
}

TEST_F(RelatedUsageTest, NameEqualToIdentifierGivesOneSupportCandidate) {
    writeFile(library() / "Application Support/SameName/store", "s");
    const auto usage = AppScanner::relatedUsage("SameName", "SameName");
    ASSERT_EQ(usage.candidates.size(), 1u);
    EXPECT_EQ(usage.candidates[0].label, "Bundle Application Support");
    EXPECT_GT(usage.support, 0);
    EXPECT_EQ(usage.supportReview, 0);
}

TEST_F(RelatedUsageTest, EmptyOrMissingPathsGiveNoCandidate) {
    fs::create_directories(library() / "Caches/com.vendor.empty");
    const auto usage = AppScanner::relatedUsage("com.vendor.empty", "Empty");
    EXPECT_TRUE(usage.candidates.empty());
    EXPECT_EQ(usage.total(), 0);
}

TEST_F(RelatedUsageTest, UnknownIdentifierHasNoRelatedFiles) {
    writeFile(library() / "Application Support/Editor/named", "n");
    writeFile(library() / "Logs/Editor.log", "l");
    EXPECT_EQ(AppScanner::relatedUsage("Unknown Bundle ID", "Editor"), AppScanner::RelatedUsage{});
}

TEST_F(RelatedUsageTest, NamesThatClimbOutOfTheLibraryAreRefused) {
    writeFile(layout.home() / "Documents/thesis.txt", "precious");
    const auto usage = AppScanner::relatedUsage("../../Documents", "..");
    EXPECT_TRUE(usage.candidates.empty());
    EXPECT_EQ(usage.total(), 0);
}

TEST_F(RelatedUsageTest, LogMatchesByIdentifierOrName) {
    const fs::path logs = library() / "Logs";
    writeFile(logs / "COM.VENDOR.EDITOR-crash.log", "a");
    writeFile(logs / "Editor Helper", "b");
    writeFile(logs / "editor-com.vendor.editor.log", "c");
    writeFile(logs / "Unrelated.log", "d");
    writeFile(logs / ".editor.log", "e");
    fs::create_directories(logs / "Editor Empty");

    const auto candidates = AppScanner::matchingLogCandidates(logs, "com.vendor.editor", "Editor");
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0].label, "COM.VENDOR.EDITOR-crash.log");
    EXPECT_EQ(candidates[0].safetyLevel, Safety::likely);
    EXPECT_EQ(candidates[1],
              (CleanupCandidate{(logs / "Editor Helper").string(), Kind::logs, "Editor Helper",
                                (logs / "Editor Helper").string(), allocatedBytesByFind(logs / "Editor Helper"),
                                Safety::review, "Name match only", false, true,
                                "Name-matched log. Review before selecting."}));
    EXPECT_EQ(candidates[2].label, "editor-com.vendor.editor.log");
    EXPECT_EQ(candidates[2].evidence, "Bundle ID log match");
    EXPECT_TRUE(candidates[2].defaultSelected);

    EXPECT_TRUE(AppScanner::matchingLogCandidates(library() / "Missing", "com.vendor.editor", "Editor").empty());
}

TEST(AppendCandidate, OnlyPositiveSizes) {
    std::vector<CleanupCandidate> candidates;
    AppScanner::appendCandidate(candidates, Kind::cache, "Zero", "/tmp/zero", 0, Safety::safe, "e", true, "n");
    AppScanner::appendCandidate(candidates, Kind::cache, "One", "/tmp/one", 1, Safety::review, "e", false, "n");
    EXPECT_EQ(candidates, (std::vector<CleanupCandidate>{
                              {"/tmp/one", Kind::cache, "One", "/tmp/one", 1, Safety::review, "e", false, true, "n"}}));
}

}  // namespace
}  // namespace tidewell
