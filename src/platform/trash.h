#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tidewell::platform::Trash {

// The freedesktop.org Trash, so the desktop's file manager can list and
// restore what Tidewell moved. Items are only ever renamed into a trash on
// their own file system; nothing is copied and nothing is unlinked. Failures
// throw std::filesystem::filesystem_error.

// $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
std::filesystem::path homeTrashFolder();

// The trash serving an item: the home trash when the item is on the home
// trash's file system, else "<mount>/.Trash-<uid>" at the top of the item's
// mount. Nothing is created here.
std::filesystem::path trashFolderFor(const std::filesystem::path& item);

// Creates the trash with its "files" and "info" folders (mode 0700) when
// missing. Refuses folders that are symbolic links or belong to another user.
void prepareTrashFolder(const std::filesystem::path& trash);

// A name taken in a trash: its info record exists, its "files" entry does not yet.
struct Reservation {
    std::filesystem::path trash;
    std::string name;

    std::filesystem::path filesPath() const;  // trash/files/name
    std::filesystem::path infoPath() const;   // trash/info/name.trashinfo
};

// The names tried for an item: attempt 0 is the file name itself, attempt 1
// "base stamp.ext", attempt n > 1 "base stamp-n.ext" ("stamp" being whole
// seconds since 1970; ".ext" only when the name has an extension).
std::string candidateName(const std::string& fileName, std::int64_t stamp, int attempt);

// Takes the first candidate name free in both "files" and "info" by creating
// the info record with O_EXCL, so two movers never share a name. The record
// names `original` (absolute in the home trash, relative to the mount top
// elsewhere) and the deletion time in local time.
Reservation reserve(const std::filesystem::path& original, const std::filesystem::path& trash,
                    std::chrono::system_clock::time_point deletion = std::chrono::system_clock::now());
// Removes the info record of a move that did not happen.
void release(const Reservation& reservation) noexcept;

// The info record text: "[Trash Info]", "Path=" percent-encoded, "DeletionDate=".
std::string infoRecord(const std::string& recordedPath, std::chrono::system_clock::time_point deletion);
std::string percentEncodedPath(const std::string& path);

// Moves the item (a link itself, never its target) into the given trash by
// rename and answers its new location. Refuses a trash on another file system.
std::filesystem::path moveIntoTrash(const std::filesystem::path& item, const std::filesystem::path& trash);
// moveIntoTrash into trashFolderFor(item), prepared first.
std::filesystem::path moveToTrash(const std::filesystem::path& item);

}  // namespace tidewell::platform::Trash
