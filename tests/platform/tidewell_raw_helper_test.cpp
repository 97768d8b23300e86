// The real tidewell-raw-helper process on a temporary socket over image files.
#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "platform/helper_protocol.h"
#include "platform/helper_protocol_channel.h"
#include "support/fake_block_devices.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

using testing::FakeBlockDevices;
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

// Runs body in a child process that is the "nobody" user; true when body returned true there.
bool asNobody(const std::function<bool()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The device policy over devices described by a fake sysfs and udev folder.
class RawHelperDevicePolicy : public RawHelper {
protected:
    void SetUp() override {
        RawHelper::SetUp();
        testing::writeFile(mountTable(), "");
    }

    std::filesystem::path mountTable() const { return folder / "mountinfo"; }
    std::filesystem::path record() const { return folder / "record.log"; }

    // A partition of the disk at diskKernelPath whose bytes are content.
    void addPartition(const std::string& name, const char* disk, const std::string& numbers, const std::string& content,
                      bool removable = false) {
        testing::writeFile(devices() / name, content);
        kernel.addPartition(name, disk, numbers, removable);
    }

    std::vector<std::string> arguments(std::vector<std::string> more = {}) const {
        std::vector<std::string> all{
            "--sysfs-root", kernel.sysfsRoot().string(), "--udev-data",   kernel.udevDataRoot().string(),
            "--mountinfo",  mountTable().string(),       "--record-file", record().string()};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    }

    std::optional<std::string> refusalOf(const std::string& identifier) {
        return decodeHelperError(send(readRequest(identifier, 0, 512)).archive);
    }

    FakeBlockDevices kernel{folder / "kernel"};
};

TEST_F(RawHelperDevicePolicy, ServesRemovableDrivesAndRecordsEachOpenedDeviceOncePerConnection) {
    std::filesystem::remove(devices() / "sdz1");
    addPartition("sdz1", testing::KernelDisks::usb, "4000:1", image);
    kernel.addUdevRecord("4000:1", "S:disk/by-label/CARD\nE:ID_FS_LABEL=CARD\nE:ID_FS_TYPE=vfat\n");
    addPartition("sdx1", "/devices/platform/host7/target7:0:0/7:0:0:0/block/sdx", "4000:2", image, true);
    addPartition("mmcblk0p1", "/devices/pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:0001/block/mmcblk0", "4000:3",
                 image);
    addPartition("sdw1", "/devices/pci0000:00/0000:00:1c.4/0000:05:00.0/fw1/fw1.0/host8/block/sdw", "4000:4", image);
    testing::writeFile(mountTable(),
                       "40 22 4000:4 / /media/alice/CARD rw - vfat /dev/sdw1 rw\n"
                       "41 22 4000:3 / /run/media/alice/SD rw - vfat /dev/mmcblk0p1 rw\n");
    RawHelperProcess helper(socket(), devices(), arguments());
    HelperSocket connection = connectHelperSocket(socket());
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(sendHelperArchive(connection.descriptor(), readRequest("sdz1", 512, 512), soon()));
        auto result = takeHelperRawReadResult(receiveHelperArchive(connection.descriptor(), soon()).archive);
        ASSERT_TRUE(result);
        EXPECT_EQ(std::string(result->data.begin(), result->data.end()), image.substr(512, 512));
    }
    for (const char* name : {"sdz1", "sdx1", "mmcblk0p1", "sdw1"}) EXPECT_EQ(refusalOf(name), std::nullopt) << name;
    EXPECT_EQ(testing::readFile(record()),
              "user 0 opened sdz1 read-only (label \"CARD\", 1048576 bytes)\n"
              "user 0 opened sdz1 read-only (label \"CARD\", 1048576 bytes)\n"
              "user 0 opened sdx1 read-only (no label, 1048576 bytes)\n"
              "user 0 opened mmcblk0p1 read-only (no label, 1048576 bytes)\n"
              "user 0 opened sdw1 read-only (no label, 1048576 bytes)\n");
}

TEST_F(RawHelperDevicePolicy, RefusesInternalDisksProtectedVolumesDeviceMapperAndSystemMounts) {
    addPartition("sda1", testing::KernelDisks::sata, "4000:11", image);
    addPartition("nvme0n1p2", testing::KernelDisks::nvme, "4000:12", image);
    // Swap space as mkswap writes it.
    testing::writeFile(folder / "swap.img", std::string(1 << 20, '\0'));
    ASSERT_EQ(testing::runTool("mkswap", {(folder / "swap.img").string()}), 0);
    addPartition("sdz2", testing::KernelDisks::usb, "4000:2", testing::readFile(folder / "swap.img"));
    std::string lvm = image;
    lvm.replace(512, 8, "LABELONE");
    addPartition("sdz3", testing::KernelDisks::usb, "4000:3", lvm);
    std::string raid = image;
    raid.replace(4096, 4, "\xfc\x4e\x2b\xa9");
    addPartition("sdz4", testing::KernelDisks::usb, "4000:4", raid);
    std::string luks = image;
    luks.replace(0, 6, "LUKS\xba\xbe");
    addPartition("sdz5", testing::KernelDisks::usb, "4000:5", luks);
    if (testing::haveTool("cryptsetup")) {
        testing::writeFile(folder / "luks.img", std::string(32 << 20, '\0'));
        testing::writeFile(folder / "key", "not a secret");
        ASSERT_EQ(testing::runTool("cryptsetup", {"luksFormat", "--batch-mode", "--type", "luks2", "--pbkdf", "pbkdf2",
                                                  "--pbkdf-force-iterations", "1000", "--key-file",
                                                  (folder / "key").string(), (folder / "luks.img").string()}),
                  0);
        std::filesystem::remove(devices() / "sdz5");
        std::filesystem::copy_file(folder / "luks.img", devices() / "sdz5");
    }
    addPartition("sdz6", testing::KernelDisks::usb, "4000:6", image);
    kernel.addUdevRecord("4000:6", "E:ID_FS_TYPE=swap\n");
    std::string bitLocker = image;
    bitLocker.replace(3, 8, "-FVE-FS-");
    addPartition("sdz7", testing::KernelDisks::usb, "4000:7", bitLocker);
    addPartition("sdz8", testing::KernelDisks::usb, "4000:8", image);
    addPartition("sdz9", testing::KernelDisks::usb, "4000:9", image);
    testing::writeFile(mountTable(),
                       "30 22 4000:8 / /var rw - ext4 /dev/sdz8 rw\n"
                       "31 22 4000:9 / /srv/data\\040files rw - ext4 /dev/sdz9 rw\n");
    testing::writeFile(devices() / "vdz1", image);
    kernel.addDeviceMapper("vdz1", "4000:20");
    testing::writeFile(devices() / "sdv1", image);  // nothing in sysfs

    RawHelperProcess helper(socket(), devices(), arguments());
    const std::string internal =
        "The read-only recovery helper does not read partitions of internal disks, only of removable drives.";
    EXPECT_EQ(refusalOf("sda1"), internal);
    EXPECT_EQ(refusalOf("nvme0n1p2"), internal);
    EXPECT_EQ(refusalOf("sdz2"), "The read-only recovery helper does not read swap space.");
    EXPECT_EQ(refusalOf("sdz3"), "The read-only recovery helper does not read LVM physical volumes.");
    EXPECT_EQ(refusalOf("sdz4"), "The read-only recovery helper does not read RAID members.");
    EXPECT_EQ(refusalOf("sdz5"), "The read-only recovery helper does not read LUKS encrypted volumes.");
    EXPECT_EQ(refusalOf("sdz6"), "The read-only recovery helper does not read swap space.");
    EXPECT_EQ(refusalOf("sdz7"), "The read-only recovery helper does not read BitLocker encrypted volumes.");
    const std::string system = "The read-only recovery helper does not read partitions that hold a system file system.";
    EXPECT_EQ(refusalOf("sdz8"), system);
    EXPECT_EQ(refusalOf("sdz9"), system);
    const std::string deviceMapper = "The read-only recovery helper does not read device-mapper devices.";
    EXPECT_EQ(refusalOf("dm-0"), deviceMapper);
    EXPECT_EQ(refusalOf("vdz1"), deviceMapper);
    EXPECT_EQ(refusalOf("sdv1"), "The read-only recovery helper does not read devices the kernel does not list.");
    EXPECT_FALSE(std::filesystem::exists(record()));
}

TEST_F(RawHelperDevicePolicy, ReadsLoopDevicesAndPathsOnlyWithTheRightsOfTheUserWhoAsks) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to connect as another user";
    std::filesystem::permissions(folder.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    testing::writeFile(folder / "private/backing.img", image);
    testing::writeFile(folder / "private/secret", "key");
    std::filesystem::permissions(folder / "private", std::filesystem::perms::owner_all);
    std::filesystem::permissions(folder / "private/backing.img",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    testing::writeFile(devices() / "loop7", image);
    kernel.addLoop("loop7", "4000:30", folder / "private/backing.img");
    RawHelperProcess helper(socket(), devices(), arguments({"--allowed-uid", "65534"}));

    const std::string secret = (folder / "private/secret").string();
    const bool refusedToNobody = asNobody([&] {
        HelperSocket connection = connectHelperSocket(socket());
        auto ask = [&](const HelperArchive& request) {
            sendHelperArchive(connection.descriptor(), request, soon());
            return receiveHelperArchive(connection.descriptor(), soon());
        };
        const bool loopRefused =
            decodeHelperError(ask(readRequest("loop7", 0, 512)).archive) ==
            "The read-only recovery helper does not read loop devices whose backing file you cannot read.";
        const bool secretRefused =
            decodeHelperError(
                ask(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{secret})).archive) ==
            "The read-only recovery helper does not look up paths you cannot reach yourself.";
        // The reachability test still gets its answer.
        const bool rootAnswered =
            decodeHelperObject<TWHelperMetadata>(
                ask(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{"/"})).archive)
                .has_value();
        return loopRefused && secretRefused && rootAnswered;
    });
    EXPECT_TRUE(refusedToNobody);
    EXPECT_EQ(refusalOf("loop7"), std::nullopt);
    auto metadata = decodeHelperObject<TWHelperMetadata>(
        send(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{secret})).archive);
    ASSERT_TRUE(metadata);
    EXPECT_EQ(metadata->sizeBytes, 3);
    EXPECT_EQ(testing::readFile(record()), "user 0 opened loop7 read-only (no label, 1048576 bytes)\n");
}

// The same rule on the machine's own kernel: a real loop device over a file only root may read.
TEST_F(RawHelper, ReadsARealLoopDeviceOnlyForUsersWhoCanReadItsBackingFile) {
    std::string attached;
    testing::writeFile(folder / "private/card.img", image);
    std::filesystem::permissions(folder / "private", std::filesystem::perms::owner_all);
    if (::geteuid() != 0 ||
        testing::runTool("losetup", {"-f", "--show", "-r", (folder / "private/card.img").string()}, &attached) != 0)
        GTEST_SKIP() << "losetup needs root and loop devices, which this machine does not give";
    const std::string device = attached.substr(0, attached.find('\n'));
    struct Detach {
        std::string device;
        ~Detach() { testing::runTool("losetup", {"-d", device}); }
    } detach{device};
    const std::string name = std::filesystem::path(device).filename().string();
    std::filesystem::permissions(folder.path(), std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    RawHelperProcess helper(socket(), "/dev", {"--allowed-uid", "65534", "--record-file", (folder / "log").string()});
    EXPECT_TRUE(asNobody([&] {
        HelperSocket connection = connectHelperSocket(socket());
        sendHelperArchive(connection.descriptor(), readRequest(name, 0, 512), soon());
        return decodeHelperError(receiveHelperArchive(connection.descriptor(), soon()).archive) ==
               "The read-only recovery helper does not read loop devices whose backing file you cannot read.";
    }));
    auto reply = send(readRequest(name, 512, 512));
    auto result = takeHelperRawReadResult(std::move(reply.archive));
    ASSERT_TRUE(result);
    EXPECT_EQ(std::string(result->data.begin(), result->data.end()), image.substr(512, 512));
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
    EXPECT_NE(output.find("It never reads whole disks, partitions of internal disks, swap space, LVM,"),
              std::string::npos);
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
