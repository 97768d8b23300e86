#pragma once

#include <QTemporaryDir>
#include <filesystem>

namespace tidewell::screenshots {

// A small freedesktop system in a temporary folder, made the current HOME, XDG folders and
// system root with the freedesktop layout selected: a Debian package's app (and a required
// one), a snap, an AppImage and a local app, their files in the XDG folders, installers in
// Downloads, old logs and caches, and what a removed Flatpak and a removed tool left.
class LinuxDesktopSample {
public:
    LinuxDesktopSample();
    bool isValid() const { return folder_.isValid(); }

private:
    std::filesystem::path home() const;
    std::filesystem::path root() const;

    QTemporaryDir folder_;
};

}  // namespace tidewell::screenshots
