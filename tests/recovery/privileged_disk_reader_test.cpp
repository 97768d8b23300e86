#include "recovery/deleted/privileged_disk_reader.h"

#include <gtest/gtest.h>

#include "fake_raw_helper.h"
#include "recovery/deleted/privileged_device_read.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

// Installation runs "pkexec <helper> --install --socket <path>"; a script
// stands in for pkexec, records its arguments and exits with a given status.
class HelperInstallation : public ::testing::Test {
protected:
    void SetUp() override { PrivilegedDiskReader::resetInstallationState(); }
    void TearDown() override { PrivilegedDiskReader::resetInstallationState(); }

    void fakePkexec(const std::string& body) {
        testing::writeFile(pkexec(), "#!/bin/sh\necho \"$@\" >> '" + calls().string() + "'\n" + body + "\n");
        fs::permissions(pkexec(), fs::perms::owner_all);
    }

    std::string installError() {
        try {
            PrivilegedDiskReader::installIfNeeded();
        } catch (const PrivilegedReadError& error) {
            EXPECT_EQ(error.errorCase(), PrivilegedReadError::Case::administratorAuthorizationFailed);
            return error.what();
        }
        return "(installed)";
    }

    fs::path socket() const { return folder / "helper.sock"; }
    fs::path pkexec() const { return folder / "pkexec"; }
    fs::path calls() const { return folder / "calls"; }

    testing::TemporaryFolder folder;
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", socket().string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", pkexec().string()};
    testing::ScopedEnvironment helperSetting{"TIDEWELL_RAW_HELPER", "/opt/tidewell/tidewell-raw-helper"};
};

TEST_F(HelperInstallation, AReachableHelperIsNotInstalledAgainAndIsCheckedOnlyOnce) {
    fakePkexec("exit 0");
    {
        testing::FakeRawHelper helper(socket(), [](int, const platform::HelperArchive&) {});
        EXPECT_EQ(installError(), "(installed)");
        EXPECT_EQ(helper.connections(), 1);
        PrivilegedDeviceRead::prepareAdministratorAuthorization();
        EXPECT_EQ(helper.connections(), 1);
    }
    EXPECT_TRUE(PrivilegedDiskReader::helperInstalled());
    EXPECT_FALSE(fs::exists(calls()));
}

TEST_F(HelperInstallation, AnUnreachableHelperIsInstalledThroughPkexecOnce) {
    fakePkexec("exit 0");
    EXPECT_EQ(installError(), "(installed)");
    EXPECT_TRUE(PrivilegedDiskReader::helperInstalled());
    EXPECT_EQ(testing::readFile(calls()),
              "/opt/tidewell/tidewell-raw-helper --install --socket " + socket().string() + "\n");
    // Installed but nothing answers: the read fails, without a second prompt.
    try {
        PrivilegedDeviceRead::read("sdz1", 0, 512);
        ADD_FAILURE() << "read succeeded";
    } catch (const PrivilegedReadError& error) {
        EXPECT_STREQ(error.what(), "The privileged recovery reader could not be reached.");
    }
    EXPECT_EQ(testing::readFile(calls()).size(),
              ("/opt/tidewell/tidewell-raw-helper --install --socket " + socket().string() + "\n").size());
}

TEST_F(HelperInstallation, RefusedAuthorizationAndFailedInstallationsKeepTryingNextTime) {
    fakePkexec("exit 126");
    EXPECT_EQ(installError(), "Administrator authorization was not granted (126).");
    fakePkexec("exit 127");
    EXPECT_EQ(installError(), "Administrator authorization was not granted (127).");
    fakePkexec("echo 'systemctl could not enable the helper socket.' >&2\nexit 1");
    EXPECT_EQ(
        installError(),
        "Tidewell could not install its read-only recovery helper: systemctl could not enable the helper socket.");
    fakePkexec("exit 3");
    EXPECT_EQ(installError(),
              "Tidewell could not install its read-only recovery helper: Unknown ServiceManagement error.");
    EXPECT_FALSE(PrivilegedDiskReader::helperInstalled());
    fs::remove(pkexec());
    EXPECT_EQ(installError(), "Tidewell could not prepare administrator authorization (2).");
}

TEST_F(HelperInstallation, TheScanSeesTheAuthorizationMessage) {
    fakePkexec("exit 126");
    try {
        PrivilegedDeviceRead::read("sdz1", 0, 512);
        ADD_FAILURE() << "read succeeded";
    } catch (const PrivilegedReadError& error) {
        EXPECT_EQ(error.errorCase(), PrivilegedReadError::Case::administratorAuthorizationFailed);
        EXPECT_STREQ(error.what(), "Administrator authorization was not granted (126).");
    }
}

TEST_F(HelperInstallation, OpeningAuthorizationSettingsHasNoEffect) {
    PrivilegedDeviceRead::openAuthorizationSettings();
    EXPECT_FALSE(PrivilegedDiskReader::helperInstalled());
    EXPECT_FALSE(fs::exists(calls()));
    EXPECT_EQ(PrivilegedDiskReader::helperServiceName, "app.tidewell.RawRecoveryHelperV2");
}

}  // namespace
}  // namespace tidewell
