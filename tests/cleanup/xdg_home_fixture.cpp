#include "cleanup/xdg_home_fixture.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

XDGHomeFixture::XDGHomeFixture()
    : homeVariable_("HOME", home_.path().string()),
      dataHome_("XDG_DATA_HOME", (home_.path() / ".local/share").string()),
      configHome_("XDG_CONFIG_HOME", (home_.path() / ".config").string()),
      cacheHome_("XDG_CACHE_HOME", (home_.path() / ".cache").string()),
      stateHome_("XDG_STATE_HOME", (home_.path() / ".local/state").string()),
      dataDirs_("XDG_DATA_DIRS", std::nullopt),
      configDirs_("XDG_CONFIG_DIRS", std::nullopt),
      rootVariable_("TIDEWELL_SYSTEM_ROOT", root_.path().string()),
      layoutVariable_("TIDEWELL_LAYOUT", "freedesktop"),
      path_("PATH", "/usr/bin:/bin") {
    for (const fs::path& folder : {cache(), config(), data(), state(), downloads()}) fs::create_directories(folder);
}

fs::path XDGHomeFixture::system(const std::string& absolutePath) const {
    return root() / fs::path(absolutePath).relative_path();
}

fs::path XDGHomeFixture::writeSized(const fs::path& path, std::size_t bytes) {
    writeFile(path, std::string(bytes, 'x'));
    return path;
}

fs::path XDGHomeFixture::writeDesktopEntry(const fs::path& path, const std::string& name, const std::string& exec,
                                           const std::string& moreLines) {
    writeFile(path, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + moreLines);
    return path;
}

fs::path XDGHomeFixture::makeSystemExecutable(const std::string& absolutePath) const {
    const fs::path path = system(absolutePath);
    writeFile(path, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return path;
}

void XDGHomeFixture::age(const fs::path& path, std::chrono::hours hours) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - hours);
}

}  // namespace tidewell::testing
