#include "platform/app_bundle.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

std::string infoWith(const std::string& entries) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + entries + "</dict></plist>";
}

TEST(AppBundle, ReadsIdentityExecutableAndIcon) {
    testing::TemporaryFolder folder;
    const fs::path app = folder / "Editor.app";
    testing::writeFile(app / "Contents/Info.plist",
                       infoWith("<key>CFBundleIdentifier</key><string>com.vendor.editor</string>"
                                "<key>CFBundleExecutable</key><string>Editor</string>"
                                "<key>CFBundleIconFile</key><string>AppIcon</string>"
                                "<key>CFBundleShortVersionString</key><real>2.5</real>"));
    testing::writeFile(app / "Contents/MacOS/Editor", "binary");
    testing::writeFile(app / "Contents/Resources/AppIcon.icns", "icns");
    const auto bundle = openAppBundle(app);
    ASSERT_TRUE(bundle.has_value());
    EXPECT_EQ(bundle->identifier(), "com.vendor.editor");
    EXPECT_EQ(bundle->infoString("CFBundleShortVersionString"), std::nullopt);
    EXPECT_EQ(bundle->executablePath(), app / "Contents/MacOS/Editor");
    EXPECT_EQ(bundle->iconPath(), app / "Contents/Resources/AppIcon.icns");
}

TEST(AppBundle, MissingPartsFallBack) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(openAppBundle(folder / "Missing.app"), std::nullopt);
    testing::writeFile(folder / "File.app", "not a folder");
    EXPECT_EQ(openAppBundle(folder / "File.app"), std::nullopt);

    fs::create_directories(folder / "Bare.app");
    const auto bare = openAppBundle(folder / "Bare.app");
    ASSERT_TRUE(bare.has_value());
    EXPECT_TRUE(bare->info.empty());
    EXPECT_EQ(bare->identifier(), std::nullopt);
    EXPECT_EQ(bare->executablePath(), std::nullopt);

    testing::writeFile(folder / "Odd.app/Contents/Info.plist",
                       infoWith("<key>CFBundleIdentifier</key><string></string>"
                                "<key>CFBundleExecutable</key><string>Gone</string>"
                                "<key>CFBundleIconFile</key><string>Icon.png</string>"));
    const auto odd = openAppBundle(folder / "Odd.app");
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->identifier(), std::nullopt);
    EXPECT_EQ(odd->executablePath(), std::nullopt);
    EXPECT_EQ(odd->iconPath(), std::nullopt);
}

TEST(AppBundle, NamesThatLeaveTheBundleAreRefused) {
    testing::TemporaryFolder folder;
    const fs::path app = folder / "Sneaky.app";
    testing::writeFile(app / "Contents/Info.plist",
                       infoWith("<key>CFBundleExecutable</key><string>../../../outside</string>"
                                "<key>CFBundleIconFile</key><string>..</string>"));
    testing::writeFile(folder / "outside", "x");
    const auto bundle = openAppBundle(app);
    ASSERT_TRUE(bundle.has_value());
    EXPECT_EQ(bundle->executablePath(), std::nullopt);
    EXPECT_EQ(bundle->iconPath(), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform
