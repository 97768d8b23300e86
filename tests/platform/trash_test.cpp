#include "platform/trash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TemporaryHome;
using testing::writeFile;

ino_t inodeOf(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

std::string infoOf(const fs::path& trashed) {
    const fs::path trash = trashed.parent_path().parent_path();
    return readFile(trash / "info" / (trashed.filename().native() + ".trashinfo"));
}

// "digits" stands for one or more decimal digits, "#" for exactly one.
bool matchesShape(std::string_view text, std::string_view shape) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape.substr(i).starts_with("digits")) {
            const std::size_t start = at;
            while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
            if (at == start) return false;
            i += 5;
        } else if (shape[i] == '#') {
            if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at++]))) return false;
        } else if (at >= text.size() || text[at++] != shape[i]) {
            return false;
        }
    }
    return at == text.size();
}

std::string expectedRecordStart(const fs::path& original) {
    return "[Trash Info]\nPath=" + Trash::percentEncodedPath(original.native()) + "\nDeletionDate=";
}

TEST(Trash, MovesIntoTheHomeTrashWithAnInfoRecord) {
    TemporaryHome home;
    const fs::path original = fs::canonical(home.path()) / "Downloads/report 1.txt";
    writeFile(original, "contents");
    const ino_t inode = inodeOf(original);
    ASSERT_FALSE(fs::exists(home.path() / ".local/share"));

    const fs::path trashed = Trash::moveToTrash(original);
    EXPECT_EQ(trashed, Trash::homeTrashFolder() / "files/report 1.txt");
    EXPECT_EQ(Trash::homeTrashFolder(), home.path() / ".local/share/Trash");
    EXPECT_FALSE(fs::exists(fs::symlink_status(original)));
    EXPECT_EQ(inodeOf(trashed), inode);
    EXPECT_EQ(readFile(trashed), "contents");
    const std::string info = infoOf(trashed);
    EXPECT_TRUE(info.starts_with(expectedRecordStart(original))) << info;
    const std::string date = info.substr(info.find("DeletionDate="));
    EXPECT_TRUE(matchesShape(date, "DeletionDate=####-##-##T##:##:##\n")) << date;
    EXPECT_NE(info.find("Path=" + fs::canonical(home.path()).native() + "/Downloads/report%201.txt\n"),
              std::string::npos);
    EXPECT_EQ(fs::status(Trash::homeTrashFolder()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(Trash, NameClashGetsAStampedName) {
    TemporaryHome home;
    writeFile(home.path() / "a/notes.txt", "first");
    writeFile(home.path() / "b/notes.txt", "second");
    const fs::path first = Trash::moveToTrash(home.path() / "a/notes.txt");
    const fs::path second = Trash::moveToTrash(home.path() / "b/notes.txt");
    EXPECT_EQ(first.filename(), "notes.txt");
    EXPECT_TRUE(matchesShape(second.filename().native(), "notes digits.txt")) << second.filename();
    EXPECT_EQ(readFile(first), "first");
    EXPECT_EQ(readFile(second), "second");
    EXPECT_NE(infoOf(second).find("/b/notes.txt\n"), std::string::npos);
}

TEST(Trash, FoldersMoveWhole) {
    TemporaryHome home;
    const fs::path folder = home.path() / "Library/Caches/com.example";
    writeFile(folder / "a/b/data", "payload");
    const ino_t folderInode = inodeOf(folder);
    const ino_t fileInode = inodeOf(folder / "a/b/data");
    const fs::path trashed = Trash::moveToTrash(folder);
    EXPECT_EQ(inodeOf(trashed), folderInode);
    EXPECT_EQ(inodeOf(trashed / "a/b/data"), fileInode);
    EXPECT_EQ(readFile(trashed / "a/b/data"), "payload");
    EXPECT_FALSE(fs::exists(folder));
}

TEST(Trash, LinksMoveThemselvesNotTheirTargets) {
    TemporaryHome home;
    writeFile(home.path() / "target", "kept");
    fs::create_symlink(home.path() / "target", home.path() / "link");
    const fs::path trashed = Trash::moveToTrash(home.path() / "link");
    EXPECT_TRUE(fs::is_symlink(trashed));
    EXPECT_EQ(readFile(home.path() / "target"), "kept");
}

TEST(Trash, ReservationSkipsTakenInfoRecords) {
    TemporaryHome home;
    const fs::path trash = Trash::homeTrashFolder();
    Trash::prepareTrashFolder(trash);
    writeFile(trash / "info/x.bin.trashinfo", "someone else's");
    const auto reservation = Trash::reserve(home.path() / "x.bin", trash);
    EXPECT_NE(reservation.name, "x.bin");
    EXPECT_TRUE(fs::exists(reservation.infoPath()));
    EXPECT_EQ(readFile(trash / "info/x.bin.trashinfo"), "someone else's");
    Trash::release(reservation);
    EXPECT_FALSE(fs::exists(reservation.infoPath()));
}

TEST(Trash, CandidateNames) {
    EXPECT_EQ(Trash::candidateName("Tool.app", 1700000000, 0), "Tool.app");
    EXPECT_EQ(Trash::candidateName("Tool.app", 1700000000, 1), "Tool 1700000000.app");
    EXPECT_EQ(Trash::candidateName("Tool.app", 1700000000, 3), "Tool 1700000000-3.app");
    EXPECT_EQ(Trash::candidateName("README", 5, 2), "README 5-2");
    EXPECT_EQ(Trash::candidateName(".profile", 5, 1), ".profile 5");
    EXPECT_EQ(Trash::percentEncodedPath("/a b/ü%#"), "/a%20b/%C3%BC%25%23");
}

TEST(Trash, RefusesAMoveAcrossFileSystems) {
    TemporaryHome home;
    const fs::path item = home.path() / "stay.txt";
    writeFile(item, "stay");
    char pattern[] = "/dev/shm/tidewell-trash-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) GTEST_SKIP() << "no /dev/shm";
    const fs::path otherTrash = fs::path(pattern) / "Trash";
    struct stat a {
    }, b{};
    ::stat(item.c_str(), &a);
    ::stat(pattern, &b);
    if (a.st_dev == b.st_dev) {
        fs::remove_all(pattern);
        GTEST_SKIP() << "/dev/shm is on the same file system";
    }
    try {
        Trash::moveIntoTrash(item, otherTrash);
        ADD_FAILURE() << "moved across file systems";
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(error.code(), std::errc::cross_device_link);
    }
    EXPECT_EQ(readFile(item), "stay");
    EXPECT_TRUE(fs::is_empty(otherTrash / "info"));
    // The item's own mount serves it instead.
    EXPECT_EQ(Trash::trashFolderFor(pattern).filename(), ".Trash-" + std::to_string(::geteuid()));
    fs::remove_all(pattern);
}

TEST(Trash, RefusesALinkedTrashAndLeavesNoRecordOnFailure) {
    TemporaryHome home;
    fs::create_directories(home.path() / "elsewhere");
    fs::create_directories(home.path() / ".local/share");
    fs::create_directory_symlink(home.path() / "elsewhere", Trash::homeTrashFolder());
    writeFile(home.path() / "item", "x");
    EXPECT_THROW(Trash::moveToTrash(home.path() / "item"), fs::filesystem_error);
    EXPECT_TRUE(fs::exists(home.path() / "item"));
    EXPECT_TRUE(fs::is_empty(home.path() / "elsewhere"));
    EXPECT_THROW(Trash::moveToTrash(home.path() / "missing"), fs::filesystem_error);
}

}  // namespace
}  // namespace tidewell::platform
