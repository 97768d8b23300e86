#include "cleanup/app_info.h"

#include <gtest/gtest.h>

#include "util/byte_size_text.h"
#include "util/relative_date_text.h"

namespace tidewell {
namespace {

AppInfo sampleApp() {
    AppInfo app;
    app.id = app.path = "/Applications/Editor.app";
    app.name = "Editor";
    app.sizeBytes = 1'234'567;
    app.relatedBytes = 20'000;
    app.installerBytes = 3'000;
    return app;
}

TEST(AppInfo, SizeTextsGoThroughTheByteSizeFormatter) {
    AppInfo app = sampleApp();
    EXPECT_EQ(app.totalDiskBytes(), 1'257'567);
    EXPECT_EQ(app.sizeText(), tidewellString(std::int64_t{1'234'567}));
    EXPECT_EQ(app.totalDiskText(), tidewellString(std::int64_t{1'257'567}));
    EXPECT_EQ(app.relatedText(), tidewellString(std::int64_t{20'000}));
    EXPECT_EQ(app.installerText(), tidewellString(std::int64_t{3'000}));

    app.sizeBytes = app.installerBytes = app.memoryBytes = 0;
    EXPECT_EQ(app.sizeText(), tidewellString(std::int64_t{0}));
    EXPECT_EQ(app.installerText(), "-");
    EXPECT_EQ(app.memoryText(), "-");
    app.memoryBytes = 1;
    EXPECT_EQ(app.memoryText(), tidewellString(std::int64_t{1}));
}

TEST(AppInfo, LastUsedText) {
    AppInfo app = sampleApp();
    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(app.lastUsedText(now), "Unknown");
    app.lastUsedDate = now - std::chrono::hours(72);
    EXPECT_EQ(app.lastUsedText(now), tidewellString(*app.lastUsedDate, now));
}

TEST(AppInfo, StatusTextFirstRuleWins) {
    AppInfo app = sampleApp();
    EXPECT_EQ(app.statusText(), "Ready to Analyze");
    app.isRunning = true;
    EXPECT_EQ(app.statusText(), "Running");
    app.launchAgents.push_back(LaunchAgentInfo{});
    EXPECT_EQ(app.statusText(), "Background Item");
    app.isProtected = true;
    EXPECT_EQ(app.statusText(), "System Protected");
}

TEST(AppInfo, UsageSummaryUsesTotalDiskAndStartupItems) {
    AppInfo app = sampleApp();
    const auto now = std::chrono::system_clock::now();
    app.lastUsedDate = now - std::chrono::days(1);
    app.sizeBytes = 5'000'000'000 - app.relatedBytes - app.installerBytes;
    EXPECT_EQ(app.usageSummary(now).reason, "Opened recently.");
    app.sizeBytes += 1;
    EXPECT_EQ(app.usageSummary(now).reason, "Recently used, but it uses significant disk space.");
    app.lastUsedDate = now - std::chrono::days(90);
    app.launchAgents.push_back(LaunchAgentInfo{});
    EXPECT_EQ(app.usageSummary(now).reason, "Rarely opened, but background items may still run.");
}

TEST(LaunchAgentInfo, ReasonFirstRuleWins) {
    LaunchAgentInfo item;
    EXPECT_EQ(item.reason(), "LaunchAgent points to this app.");
    item.runAtLoad = true;
    EXPECT_EQ(item.reason(), "RunAtLoad starts this app at login.");
    item.keepAlive = true;
    EXPECT_EQ(item.reason(), "KeepAlive can relaunch this app.");
    item.requiresAdmin = true;
    EXPECT_EQ(item.reason(), "System-level item. Admin helper is required before Tidewell can change it.");
}

}  // namespace
}  // namespace tidewell
