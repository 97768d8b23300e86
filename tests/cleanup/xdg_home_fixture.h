#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A freedesktop home and system in temporary folders: HOME, every XDG base variable and
// the system root (TIDEWELL_SYSTEM_ROOT) point into them and TIDEWELL_LAYOUT selects the
// freedesktop layout while the fixture lives. PATH is "/usr/bin:/bin", which the scanners
// read below the system root.
class XDGHomeFixture {
public:
    XDGHomeFixture();

    const std::filesystem::path& home() const { return home_.path(); }
    const std::filesystem::path& root() const { return root_.path(); }
    std::filesystem::path cache() const { return home() / ".cache"; }
    std::filesystem::path config() const { return home() / ".config"; }
    std::filesystem::path data() const { return home() / ".local/share"; }
    std::filesystem::path state() const { return home() / ".local/state"; }
    std::filesystem::path downloads() const { return home() / "Downloads"; }
    // An absolute system path ("/usr/bin") inside the re-rooted system.
    std::filesystem::path system(const std::string& absolutePath) const;

    // A file of `bytes` bytes (parents created); answers its path.
    static std::filesystem::path writeSized(const std::filesystem::path& path, std::size_t bytes);
    // A "[Desktop Entry]" file of type Application with these further lines.
    static std::filesystem::path writeDesktopEntry(const std::filesystem::path& path, const std::string& name,
                                                   const std::string& exec, const std::string& moreLines = {});
    // An executable script at `absolutePath` inside the system root.
    std::filesystem::path makeSystemExecutable(const std::string& absolutePath) const;
    // Sets the modification time of `path` this many hours into the past.
    static void age(const std::filesystem::path& path, std::chrono::hours hours);

private:
    TemporaryFolder home_;
    TemporaryFolder root_;
    ScopedEnvironment homeVariable_;
    ScopedEnvironment dataHome_;
    ScopedEnvironment configHome_;
    ScopedEnvironment cacheHome_;
    ScopedEnvironment stateHome_;
    ScopedEnvironment dataDirs_;
    ScopedEnvironment configDirs_;
    ScopedEnvironment rootVariable_;
    ScopedEnvironment layoutVariable_;
    ScopedEnvironment path_;
};

}  // namespace tidewell::testing
