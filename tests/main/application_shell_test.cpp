#include "main/application_shell.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcess>
#include <filesystem>

#include "main/single_instance.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::TemporaryHome;

bool instanceListens() {
    QLocalSocket socket;
    socket.connectToServer(SingleInstance::serverName());
    return socket.waitForConnected(1000);
}

TEST(ApplicationShell, ATerminationSignalQuitsInOrder) {
    TemporaryHome home;
    TemporaryFolder runtime;
    ScopedEnvironment runtimeDirectory("XDG_RUNTIME_DIR", runtime.path().string());
    ScopedEnvironment platform("QT_QPA_PLATFORM", "offscreen");

    QProcess application;
    application.setProgram(
        QString::fromStdString((fs::read_symlink("/proc/self/exe").parent_path() / "tidewell").string()));
    application.start();
    ASSERT_TRUE(application.waitForStarted());
    // Bounded only so a broken start cannot hang the suite.
    for (int attempt = 0; attempt < 600 && !instanceListens(); ++attempt) application.waitForFinished(100);
    ASSERT_EQ(application.state(), QProcess::Running);

    application.terminate();
    ASSERT_TRUE(application.waitForFinished(60'000));
    EXPECT_EQ(application.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(application.exitCode(), 0);
}

}  // namespace
}  // namespace tidewell
