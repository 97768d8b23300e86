#include "cleanup/installer_candidates.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using AppScanner::InstallerCandidate;

InstallerCandidate named(const std::string& name) {
    return InstallerCandidate{name, "/Downloads/" + name, 1};
}

TEST(NormalizedToken, KeepsLowerCasedUnicodeLettersAndDigits) {
    EXPECT_EQ(AppScanner::normalizedToken("Editor-2.1"), "editor21");
    EXPECT_EQ(AppScanner::normalizedToken("My_App Pro.dmg"), "myappprodmg");
    EXPECT_EQ(AppScanner::normalizedToken("Überblick Ärger 3"), "überblickärger3");
    EXPECT_EQ(AppScanner::normalizedToken("ÉDITEUR"), "éditeur");
    EXPECT_EQ(AppScanner::normalizedToken("--. _"), "");
}

TEST(InstallerMatching, ByAppNameOfFourCharactersOrMore) {
    EXPECT_TRUE(AppScanner::installer(named("Editor-2.1"), "Editor", "Unknown Bundle ID"));
    EXPECT_TRUE(AppScanner::installer(named("Setup_Photo-Viewer"), "Photo Viewer", "Unknown Bundle ID"));
    EXPECT_FALSE(AppScanner::installer(named("Vim-9"), "Vim", "Unknown Bundle ID"));
    EXPECT_FALSE(AppScanner::installer(named("Editor"), "Word", "Unknown Bundle ID"));
}

TEST(InstallerMatching, ByIdentifierPiecesLongerThanThree) {
    EXPECT_TRUE(AppScanner::installer(named("vendor-suite"), "Pad", "com.vendor.editor"));
    EXPECT_TRUE(AppScanner::installer(named("EditorInstaller"), "Pad", "com.vendor.editor"));
    EXPECT_TRUE(AppScanner::installer(named("comvendoreditor"), "Pad", "com.vendor.editor"));
    EXPECT_FALSE(AppScanner::installer(named("com-installer"), "Pad", "com.vendor.editor"));
    EXPECT_FALSE(AppScanner::installer(named("app-installer"), "Pad", "com.app.x"));
}

TEST(InstallerCandidates, ListsDiskImagesPackagesAndArchivesInDownloads) {
    testing::AppLayoutFixture layout;
    const fs::path downloads = layout.home() / "Downloads";
    testing::writeFile(downloads / "Editor-2.1.dmg", std::string(5000, 'd'));
    testing::writeFile(downloads / "Tool.PKG", "p");
    testing::writeFile(downloads / "bundle.tar.zip", "z");
    testing::writeFile(downloads / "notes.txt", "t");
    testing::writeFile(downloads / ".hidden.dmg", "h");
    const auto installers = AppScanner::installerCandidates();
    EXPECT_EQ(installers,
              (std::vector<InstallerCandidate>{
                  {"Editor-2.1", (downloads / "Editor-2.1.dmg").string(),
                   testing::allocatedBytesByFind(downloads / "Editor-2.1.dmg")},
                  {"Tool", (downloads / "Tool.PKG").string(), testing::allocatedBytesByFind(downloads / "Tool.PKG")},
                  {"bundle.tar", (downloads / "bundle.tar.zip").string(),
                   testing::allocatedBytesByFind(downloads / "bundle.tar.zip")},
              }));
}

TEST(InstallerCandidates, NoDownloadsFolderListsNothing) {
    testing::AppLayoutFixture layout;
    EXPECT_TRUE(AppScanner::installerCandidates().empty());
}

}  // namespace
}  // namespace tidewell
