#include "cleanup/startup_items.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;
using testing::xmlPropertyList;
using testing::xmlString;

class StartupItemsTest : public ::testing::Test {
protected:
    fs::path userAgents() const { return layout.home() / "Library/LaunchAgents"; }
    testing::AppLayoutFixture layout;
};

TEST_F(StartupItemsTest, ReadsUserThenSystemItems) {
    writeFile(userAgents() / "com.vendor.editor.agent.plist",
              xmlPropertyList({{"Label", xmlString("com.vendor.editor.agent")},
                               {"Program", xmlString("/Applications/Editor.app/Contents/MacOS/Editor")},
                               {"RunAtLoad", "<true/>"},
                               {"KeepAlive", "<false/>"}}));
    const fs::path daemon = layout.system("/Library/LaunchDaemons/com.vendor.helper.plist");
    const std::string helper = layout.system("/Library/PrivilegedHelperTools/com.vendor.helper").string();
    writeFile(daemon, xmlPropertyList({{"ProgramArguments", "<array>" + xmlString(helper) + "</array>"},
                                       {"KeepAlive", "<dict><key>NetworkState</key><true/></dict>"}}));
    testing::convertToBinaryPropertyList(daemon);
    const fs::path systemAgent = layout.system("/Library/LaunchAgents/org.other.plist");
    writeFile(systemAgent,
              xmlPropertyList({{"Label", "<integer>4</integer>"}, {"Program", xmlString("/usr/bin/other")}}));

    const auto items = AppScanner::launchAgentCandidates();
    const std::string user = (userAgents() / "com.vendor.editor.agent.plist").string();
    EXPECT_EQ(items, (std::vector<LaunchAgentInfo>{
                         {user, "com.vendor.editor.agent", user, "/Applications/Editor.app/Contents/MacOS/Editor",
                          false, true, false, std::nullopt},
                         {systemAgent.string(), "org.other", systemAgent.string(), "/usr/bin/other", false, false, true,
                          std::nullopt},
                         {daemon.string(), "com.vendor.helper", daemon.string(), helper, true, false, true, helper},
                     }));
}

TEST_F(StartupItemsTest, SkipsWhatIsNotAStartupItem) {
    writeFile(userAgents() / "array.plist", "<plist version=\"1.0\"><array><string>x</string></array></plist>");
    writeFile(userAgents() / "noprogram.plist", xmlPropertyList({{"Label", xmlString("noprogram")}}));
    writeFile(userAgents() / "emptyargs.plist", xmlPropertyList({{"ProgramArguments", "<array/>"}}));
    writeFile(userAgents() / "mixedargs.plist",
              xmlPropertyList({{"ProgramArguments", "<array><string>/bin/x</string><integer>1</integer></array>"}}));
    writeFile(userAgents() / "garbage.plist", "<plist><dict><key>Program</key><string>/bin/x");
    writeFile(userAgents() / "binary-garbage.plist", std::string("bplist00\x01\x02\x03", 11));
    writeFile(userAgents() / "wrong.PLIST", xmlPropertyList({{"Program", xmlString("/bin/x")}}));
    writeFile(userAgents() / ".hidden.plist", xmlPropertyList({{"Program", xmlString("/bin/x")}}));
    fs::create_directories(userAgents() / "folder.plist");
    writeFile(userAgents() / "good.plist", xmlPropertyList({{"Program", xmlString("/bin/good")}}));

    const auto items = AppScanner::launchItems(userAgents(), false);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].label, "good");
    EXPECT_TRUE(AppScanner::launchItems(layout.home() / "Missing", false).empty());
}

TEST(ProgramPath, ProgramThenFirstArgument) {
    using platform::PropertyListValue;
    PropertyListValue::Dictionary dictionary;
    EXPECT_EQ(AppScanner::programPath(dictionary), "");
    dictionary["ProgramArguments"] = PropertyListValue{
        PropertyListValue::Array{PropertyListValue{std::string("/bin/first")}, PropertyListValue{std::string("-x")}}};
    EXPECT_EQ(AppScanner::programPath(dictionary), "/bin/first");
    dictionary["Program"] = PropertyListValue{std::int64_t{3}};
    EXPECT_EQ(AppScanner::programPath(dictionary), "/bin/first");
    dictionary["Program"] = PropertyListValue{std::string("/bin/program")};
    EXPECT_EQ(AppScanner::programPath(dictionary), "/bin/program");
}

LaunchAgentInfo item(const std::string& label, const std::string& program,
                     std::optional<std::string> helper = std::nullopt) {
    return LaunchAgentInfo{"/p.plist", label, "/p.plist", program, false, false, false, helper};
}

TEST(LaunchItemMatching, RulesInOrder) {
    const fs::path app = "/Applications/Photo Editor.app";
    const std::string id = "com.vendor.photo";
    const auto matches = [&](const LaunchAgentInfo& candidate, std::optional<std::string> executable = std::nullopt,
                             const std::string& bundleID = "com.vendor.photo") {
        return AppScanner::launchItem(candidate, app, executable, bundleID, "Photo Editor");
    };
    EXPECT_TRUE(matches(item("x", "/Applications/Photo Editor.app/Contents/Library/LoginItems/Agent")));
    EXPECT_TRUE(matches(item("x", "/usr/local/bin/pe"), "/usr/local/bin/pe"));
    EXPECT_TRUE(matches(item("COM.VENDOR.PHOTO.agent", "/usr/bin/a")));
    EXPECT_TRUE(matches(item("x", "/opt/com.vendor.photo/run")));
    EXPECT_TRUE(matches(item("x", "/usr/bin/a", "/Library/PrivilegedHelperTools/com.vendor.photo.helper")));
    EXPECT_TRUE(matches(item("photoeditor-updater", "/usr/bin/a")));
    EXPECT_TRUE(matches(item("x", "/opt/Photo Editor Helper/run")));
    EXPECT_FALSE(matches(item("x", "/usr/bin/a")));
    // Without an identifier rule 3 is skipped; the name rule still applies.
    EXPECT_FALSE(matches(item("Unknown Bundle ID", "/usr/bin/a"), std::nullopt, "Unknown Bundle ID"));
    EXPECT_TRUE(matches(item("PhotoEditor", "/usr/bin/a"), std::nullopt, "Unknown Bundle ID"));
}

}  // namespace
}  // namespace tidewell
