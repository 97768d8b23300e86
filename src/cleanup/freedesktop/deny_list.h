#pragma once

#include <array>
#include <string_view>

namespace tidewell::Freedesktop {

// The desktop's own shared places in the XDG folders (its autostart, menus, icons, fonts…): they
// belong to no single app, so they are never an app's related row nor a leftover. An
// entry ending in "*" matches every name that begins with the text before it.
inline constexpr auto denyList = std::to_array<std::string_view>({
    "autostart",
    "systemd",
    "applications",
    "icons",
    "fonts",
    "mime",
    "Trash",
    "flatpak",
    "keyrings",
    "dconf",
    "gtk-3.0",
    "gtk-4.0",
    "fontconfig",
    "pulse",
    "pipewire",
    "user-dirs.dirs",
    "mimeapps.list",
    "recently-used.xbel",
    "gvfs-metadata",
    "tracker3",
    "gnome-*",
    "kde*",
    "plasma*",
    "xfce4",
    "thumbnails",
    "nvidia",
    "mesa_shader_cache",
    // Where Tidewell keeps its own settings and reports.
    "Tidewell",
    "user-dirs.locale",
});

// True when `name` (a direct child of an XDG folder) is one of the shared places; compared
// ignoring case.
bool isSharedPlace(std::string_view name);

}  // namespace tidewell::Freedesktop
