// The real tidewell-raw-helper process on a temporary socket over image files.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/helper_protocol.h"
#include "platform/helper_protocol_channel.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

using testing::RawHelperProcess;
using testing::TemporaryFolder;

std::string imageBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 512) & 0xFF);
    return bytes;
}

HelperDeadline soon() {
    return std::chrono::steady_clock::now() + std::chrono::seconds(10);
}

class RawHelper : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(devices());
        testing::writeFile(devices() / "sdz1", image);
    }

    std::filesystem::path devices() const { return folder / "dev"; }
    std::filesystem::path socket() const { return folder / "helper.sock"; }

    // Sends raw bytes on a fresh connection and returns the helper's reply.
    HelperReceived sendBytes(const HelperBytes& bytes) {
        HelperSocket connection = connectHelperSocket(socket());
        EXPECT_TRUE(connection.isOpen());
        EXPECT_EQ(::send(connection.descriptor(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
        ::shutdown(connection.descriptor(), SHUT_WR);
        return receiveHelperArchive(connection.descriptor(), soon());
    }

    HelperReceived send(const HelperArchive& request) { return sendBytes(encodeHelperFrame(request)); }

    std::string errorOf(const HelperArchive& request) {
        auto reply = send(request);
        EXPECT_EQ(reply.status, HelperReceiveStatus::received);
        return decodeHelperError(reply.archive).value_or("(no error)");
    }

    HelperArchive readRequest(const std::string& identifier, std::int64_t offset, std::int64_t length) {
        return encodeHelperObject(HelperOperation::readRawBytes, TWHelperRawReadRequest{identifier, offset, length});
    }

    TemporaryFolder folder;
    std::string image = imageBytes(1 << 20);
};

TEST_F(RawHelper, ReadsExactlyTheRequestedRangeSeveralRequestsPerConnection) {
    RawHelperProcess helper(socket(), devices());
    HelperSocket connection = connectHelperSocket(socket());
    for (auto [offset, length] : {std::pair<std::int64_t, std::int64_t>{0, 512}, {4096, 65536}, {(1 << 20) - 1, 1}}) {
        ASSERT_TRUE(sendHelperArchive(connection.descriptor(), readRequest("sdz1", offset, length), soon()));
        auto reply = receiveHelperArchive(connection.descriptor(), soon());
        ASSERT_EQ(reply.status, HelperReceiveStatus::received);
        auto result = takeHelperRawReadResult(std::move(reply.archive));
        ASSERT_TRUE(result);
        EXPECT_EQ(std::string(result->data.begin(), result->data.end()), image.substr(offset, length));
    }
}

TEST_F(RawHelper, RefusesRangesAndNamesItMustNotRead) {
    testing::writeFile(devices() / "sdz", image);
    std::filesystem::create_symlink("/etc/hostname", devices() / "sdz4");
    RawHelperProcess helper(socket(), devices());
    EXPECT_EQ(errorOf(readRequest("sdz1", (1 << 20) - 1, 2)),
              "The partition ended before the requested range could be read.");
    EXPECT_EQ(errorOf(readRequest("sdz1", -1, 2)), "Invalid raw-device read range.");
    EXPECT_EQ(errorOf(readRequest("sdz1", 0, 0)), "Invalid raw-device read range.");
    EXPECT_EQ(errorOf(readRequest("sdz1", 0, (64 << 20) + 1)), "Invalid raw-device read range.");
    EXPECT_EQ(errorOf(readRequest("sdz1", INT64_MAX, 1)), "Invalid raw-device read range.");
    for (const char* name : {"sdz", "../dev/sdz1", "sdz1 ", "/etc/hostname"})
        EXPECT_EQ(errorOf(readRequest(name, 0, 1)),
                  "The read-only recovery helper refused an unexpected raw-device identifier.");
    EXPECT_EQ(errorOf(readRequest("sdz2", 0, 1)), "The partition sdz2 could not be opened: No such file or directory.");
    EXPECT_EQ(errorOf(readRequest("sdz4", 0, 1)),
              "The partition sdz4 could not be opened: Too many levels of symbolic links.");
}

TEST_F(RawHelper, RefusesPartitionsHoldingAMountedSystemFileSystem) {
    testing::writeFile(devices() / "sdz2", image);
    testing::writeFile(devices() / "sdz3", image);
    testing::writeFile(folder / "mountinfo", "22 1 8:2 / / rw,relatime shared:1 - ext4 " +
                                                 (devices() / "sdz2").string() +
                                                 " rw\n"
                                                 "23 22 8:3 / /media/card\\040one rw - vfat " +
                                                 (devices() / "sdz3").string() + " rw\n");
    RawHelperProcess helper(socket(), devices(), {"--mountinfo", (folder / "mountinfo").string()});
    EXPECT_EQ(errorOf(readRequest("sdz2", 0, 1)),
              "The read-only recovery helper does not read partitions that hold a system file system.");
    EXPECT_EQ(decodeHelperError(send(readRequest("sdz3", 0, 1)).archive), std::nullopt);
}

TEST_F(RawHelper, AnswersMetadataForAnExistingPathAndNotSupportedForTheUnusedOperations) {
    RawHelperProcess helper(socket(), devices());
    auto reply = send(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{"/"}));
    auto metadata = decodeHelperObject<TWHelperMetadata>(reply.archive);
    ASSERT_TRUE(metadata);
    EXPECT_TRUE(metadata->exists && metadata->isDirectory && !metadata->isSymbolicLink);
    EXPECT_EQ(errorOf(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{"/no/such/path"})),
              "Nothing exists at /no/such/path.");
    auto verification =
        send(encodeHelperObject(HelperOperation::verifyOwnership, TWHelperOwnershipRequest{"/", "/", "x"}));
    EXPECT_EQ(decodeHelperObject<TWHelperVerification>(verification.archive),
              (TWHelperVerification{false, "Not supported."}));
    for (auto operation : {HelperOperation::moveLaunchItemToTrash, HelperOperation::stopLaunchDaemon,
                           HelperOperation::movePrivilegedHelperToTrash}) {
        auto result = send(encodeHelperObject(operation, TWHelperPlanRequest{"/", "/", "x", "h"}));
        EXPECT_EQ(decodeHelperObject<TWHelperOperationResult>(result.archive),
                  (TWHelperOperationResult{false, "Not supported."}));
    }
}

// sdz1 is a FIFO here: opening it for writing without blocking fails with
// ENXIO exactly when nobody has tried to open it for reading.
TEST_F(RawHelper, HostileRequestsNeitherCrashItNorMakeItRead) {
    std::filesystem::remove(devices() / "sdz1");
    ASSERT_EQ(::mkfifo((devices() / "sdz1").c_str(), 0600), 0);
    RawHelperProcess helper(socket(), devices());
    const std::string undecodable = "The read-only recovery helper could not decode the request.";
    EXPECT_EQ(decodeHelperError(sendBytes({'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'}).archive),
              undecodable);
    EXPECT_EQ(decodeHelperError(sendBytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}).archive), undecodable);
    EXPECT_EQ(sendBytes({0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0, 'T'}).status, HelperReceiveStatus::closed);
    auto withBulk = encodeHelperObject(HelperOperation::readRawBytes, TWHelperRawReadResult{{1, 2, 3}});
    EXPECT_EQ(decodeHelperError(send(withBulk).archive), undecodable);
    auto wrongClass = readRequest("sdz1", 0, 1);
    wrongClass.className = "TWHelperPathRequest";
    EXPECT_EQ(errorOf(wrongClass), undecodable);
    auto missingKey = readRequest("sdz1", 0, 1);
    missingKey.values.erase("deviceIdentifier");
    EXPECT_EQ(errorOf(missingKey), undecodable);
    auto mistyped = readRequest("sdz1", 0, 1);
    mistyped.values["deviceIdentifier"] = std::int64_t{1};
    EXPECT_EQ(errorOf(mistyped), undecodable);
    auto unknown = readRequest("sdz1", 0, 1);
    unknown.operation = "writeRawBytes";
    EXPECT_EQ(errorOf(unknown), "The read-only recovery helper does not know this operation.");
    EXPECT_TRUE(helper.isRunning());
    errno = 0;
    EXPECT_EQ(::open((devices() / "sdz1").c_str(), O_WRONLY | O_NONBLOCK), -1);
    EXPECT_EQ(errno, ENXIO);
}

TEST_F(RawHelper, ServesOnlyTheAllowedUserAndRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    std::filesystem::permissions(folder.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    RawHelperProcess helper(socket(), devices(), {"--allowed-uid", "4242"});
    pid_t child = ::fork();
    if (child == 0) {
        if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0) ::_exit(2);
        HelperSocket connection = connectHelperSocket(socket());
        sendHelperArchive(connection.descriptor(), readRequest("sdz1", 0, 1), soon());
        auto reply = receiveHelperArchive(connection.descriptor(), soon());
        bool refused = decodeHelperError(reply.archive) ==
                       "The read-only recovery helper serves only the user it was installed for.";
        ::_exit(refused ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(decodeHelperError(send(readRequest("sdz1", 0, 1)).archive), std::nullopt);  // root is served
}

TEST(RawHelperArguments, InstallIsOnlyCheckedForItsArguments) {
    const std::string helper = testing::rawHelperExecutable().string();
    std::string output;
    EXPECT_EQ(testing::runTool(helper, {"--install", "--dry-run", "--allowed-uid", "1000"}, &output), 0);
    EXPECT_NE(output.find("copy /usr/local/libexec/tidewell/app.tidewell.RawRecoveryHelperV2\n"), std::string::npos);
    EXPECT_NE(output.find("serve uid 1000 at /run/app.tidewell.RawRecoveryHelperV2.sock\n"), std::string::npos);
    {
        testing::ScopedEnvironment pkexecUser("PKEXEC_UID", "1001");
        EXPECT_EQ(testing::runTool(helper, {"--install", "--dry-run"}, &output), 0);
        EXPECT_NE(output.find("serve uid 1001"), std::string::npos);
    }
    testing::ScopedEnvironment noPkexec("PKEXEC_UID", std::nullopt);
    testing::ScopedEnvironment noSudo("SUDO_UID", std::nullopt);
    EXPECT_EQ(testing::runTool(helper, {"--install", "--dry-run"}), 64);
    EXPECT_EQ(testing::runTool(helper, {"--allowed-uid", "abc"}), 64);
    EXPECT_EQ(testing::runTool(helper, {"--socket"}), 64);
    EXPECT_EQ(testing::runTool(helper, {"--dry-run"}), 64);
    EXPECT_EQ(testing::runTool(helper, {"--format-disk"}), 64);
    EXPECT_EQ(testing::runTool(helper, {"--help"}, &output), 0);
    EXPECT_EQ(output.rfind("usage: tidewell-raw-helper", 0), 0u);
}

TEST(RawHelperArguments, InstalledHelperServesFromItsLibexecFolder) {
    TemporaryFolder prefix;
    const auto installed = std::filesystem::canonical(prefix.path()) / "libexec" / "tidewell" / "tidewell-raw-helper";
    std::filesystem::create_directories(installed.parent_path());
    std::filesystem::copy_file(testing::rawHelperExecutable(), installed);
    std::string output;
    EXPECT_EQ(testing::runTool(installed.string(), {"--install", "--dry-run", "--allowed-uid", "1000"}, &output), 0);
    EXPECT_EQ(output.rfind("use " + installed.string() + "\n", 0), 0u) << output;
    EXPECT_EQ(output.find("copy "), std::string::npos);
}

}  // namespace
}  // namespace tidewell::platform
