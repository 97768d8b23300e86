#include "recovery/deleted/privileged_device_read.h"

#include <gtest/gtest.h>

#include "fake_raw_helper.h"
#include "platform/helper_protocol.h"
#include "platform/layout_kind.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using namespace platform;
using Case = PrivilegedReadError::Case;

struct Failure {
    Case errorCase;
    std::string message;
    bool operator==(const Failure&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Failure& failure) {
    return out << static_cast<int>(failure.errorCase) << ": " << failure.message;
}

Failure failureOf(const std::string& identifier, std::int64_t offset, std::int64_t length) {
    try {
        PrivilegedDeviceRead::read(identifier, offset, length);
    } catch (const PrivilegedReadError& error) {
        return {error.errorCase(), error.what()};
    }
    return {Case::unavailableSource, "(no error)"};
}

std::string imageBytes(std::size_t size) {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

class PrivilegedDeviceReadTest : public ::testing::Test {
protected:
    void SetUp() override { PrivilegedDiskReader::resetInstallationState(); }
    void TearDown() override { PrivilegedDiskReader::resetInstallationState(); }

    std::filesystem::path socket() const { return folder / "helper.sock"; }

    testing::TemporaryFolder folder;
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", socket().string()};
    // Installation must never reach the real pkexec from a test.
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
};

TEST_F(PrivilegedDeviceReadTest, ReadsByteIdenticalRangesThroughTheRealHelper) {
    const std::string image = imageBytes(9 << 20);
    testing::writeFile(folder / "dev/sdz1", image);
    testing::RawHelperProcess helper(socket(), folder / "dev");
    for (auto [offset, length] :
         {std::pair<std::int64_t, std::int64_t>{0, 512}, {512 * 7, 4096}, {1 << 20, 4 << 20}, {(9 << 20) - 512, 512}}) {
        auto data = PrivilegedDeviceRead::read("sdz1", offset, length);
        EXPECT_TRUE(std::string(data.begin(), data.end()) == image.substr(offset, length)) << offset;
    }
    EXPECT_TRUE(PrivilegedDiskReader::helperInstalled());
    EXPECT_EQ(failureOf("sdz1", (9 << 20) - 512, 513),
              (Failure{Case::administratorAuthorizationFailed,
                       "The partition ended before the requested range could be read."}));
}

TEST_F(PrivilegedDeviceReadTest, RefusesIdentifiersAndRangesBeforeAnyConnection) {
    testing::FakeRawHelper helper(socket(), [](int, const HelperArchive&) {});
    const Failure identifier{Case::unavailableSource, "Tidewell refused an unexpected raw-device identifier."};
    for (const char* name : {"sdz", "/dev/sdz1", "sdz1 ", "disk4s1", "rsdz1", ""})
        EXPECT_EQ(failureOf(name, 0, 512), identifier) << name;
    const Failure range{Case::unavailableSource, "Invalid raw-device read range."};
    EXPECT_EQ(failureOf("sdz1", 0, 0), range);
    EXPECT_EQ(failureOf("sdz1", -1, 512), range);
    EXPECT_EQ(failureOf("sdz", 0, 0), identifier);  // the identifier rule comes first
    EXPECT_EQ(helper.connections(), 0);
}

TEST_F(PrivilegedDeviceReadTest, AShortReplyIsIncompleteData) {
    testing::FakeRawHelper helper(socket(), [](int descriptor, const HelperArchive& request) {
        auto asked = decodeHelperObject<TWHelperRawReadRequest>(request);
        HelperBytes data(static_cast<std::size_t>(asked->length - 1), 0x5A);
        sendHelperArchive(descriptor, encodeHelperObject(request.operation, TWHelperRawReadResult{data}),
                          std::chrono::steady_clock::now() + std::chrono::seconds(10));
    });
    EXPECT_EQ(failureOf("sdz1", 0, 512), (Failure{Case::administratorAuthorizationFailed,
                                                  "The privileged recovery reader returned incomplete data."}));
}

TEST_F(PrivilegedDeviceReadTest, AReplyOfAnotherClassIsIncompleteData) {
    testing::FakeRawHelper helper(socket(), [](int descriptor, const HelperArchive& request) {
        sendHelperArchive(descriptor, encodeHelperObject(request.operation, TWHelperPathRequest{"/"}),
                          std::chrono::steady_clock::now() + std::chrono::seconds(10));
    });
    EXPECT_EQ(failureOf("sdz1", 0, 512).message, "The privileged recovery reader returned incomplete data.");
}

TEST_F(PrivilegedDeviceReadTest, AHelperThatNeverAnswersTimesOutAfterTheReplyWait) {
    testing::ScopedEnvironment wait("TIDEWELL_HELPER_REPLY_WAIT_MS", "300");
    testing::FakeRawHelper helper(socket(), [](int descriptor, const HelperArchive&) {
        // Hold the connection until the reader gives up and closes it.
        receiveHelperArchive(descriptor, std::chrono::steady_clock::now() + std::chrono::seconds(10));
    });
    {
        testing::ScopedEnvironment macos{platform::layoutVariable, "macos"};
        EXPECT_EQ(failureOf("sdz1", 0, 512),
                  (Failure{Case::administratorAuthorizationFailed,
                           "The read-only recovery helper did not respond. Try the scan again and approve the "
                           "administrator prompt if macOS shows one."}));
    }
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    EXPECT_EQ(failureOf("sdz1", 0, 512),
              (Failure{Case::administratorAuthorizationFailed,
                       "The read-only recovery helper did not respond. Try the scan again and approve the system's "
                       "administrator prompt (polkit) if it shows one."}));
}

TEST_F(PrivilegedDeviceReadTest, TheReplyWaitIsThirtySecondsUnlessSet) {
    testing::ScopedEnvironment unset("TIDEWELL_HELPER_REPLY_WAIT_MS", std::nullopt);
    EXPECT_EQ(PrivilegedDiskReader::replyWait(), std::chrono::seconds(30));
    testing::ScopedEnvironment garbage("TIDEWELL_HELPER_REPLY_WAIT_MS", "soon");
    EXPECT_EQ(PrivilegedDiskReader::replyWait(), std::chrono::seconds(30));
    testing::ScopedEnvironment set("TIDEWELL_HELPER_REPLY_WAIT_MS", "1500");
    EXPECT_EQ(PrivilegedDiskReader::replyWait(), std::chrono::milliseconds(1500));
}

TEST_F(PrivilegedDeviceReadTest, HelperErrorsReachTheUserUnchangedAsAuthorizationFailures) {
    testing::FakeRawHelper helper(socket(), [](int descriptor, const HelperArchive& request) {
        sendHelperArchive(descriptor, encodeHelperError(request.operation, "The partition is gone."),
                          std::chrono::steady_clock::now() + std::chrono::seconds(10));
    });
    EXPECT_EQ(failureOf("sdz1", 0, 512), (Failure{Case::administratorAuthorizationFailed, "The partition is gone."}));
}

}  // namespace
}  // namespace tidewell
