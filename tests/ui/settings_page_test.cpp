#include "ui/settings_page.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "model/app_model.h"
#include "support/eventually.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"
#include "ui/quiet_engines.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

TEST(SettingsPage, TellsWhetherThePrivilegedHelperAnswersEachTimeItIsShown) {
    testing::TemporaryFolder folder;
    const fs::path socket = folder / "helper.sock";
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", socket.string()};
    AppModel model(testing::quietEngines());
    model.setLanguage("English");
    SettingsPage page(model);
    auto* status = page.findChild<QLabel*>("helperStatus");
    ASSERT_NE(status, nullptr);
    page.show();
    EXPECT_EQ(status->text(),
              "Not running. Tidewell asks for administrator approval to start it when a deleted-file scan begins.");

    fs::create_directories(folder / "dev");
    testing::RawHelperProcess helper(socket, folder / "dev");
    page.hide();
    page.show();
    EXPECT_EQ(status->text(), "Running: deleted-file scans read drives through it, read-only.");
    model.setLanguage("简体中文");
    EXPECT_EQ(status->text(), "正在运行：扫描已删除文件时通过它以只读方式读取磁盘。");
}

}  // namespace
}  // namespace tidewell
