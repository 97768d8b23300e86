#include "cleanup/freedesktop/deny_list.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(DenyList, EveryEntryIsASharedPlace) {
    for (std::string_view entry : denyList) {
        std::string name(entry);
        if (name.ends_with('*')) name.replace(name.size() - 1, 1, "-session");
        EXPECT_TRUE(isSharedPlace(name)) << name;
    }
}

TEST(DenyList, NamesAndPatterns) {
    struct Row {
        const char* name;
        bool shared;
    };
    const Row rows[] = {
        {"autostart", true},
        {"Trash", true},
        {"trash", true},
        {"gtk-3.0", true},
        {"mimeapps.list", true},
        {"user-dirs.dirs", true},
        {"gnome-shell", true},
        {"gnome-", true},
        {"kdeglobals", true},
        {"kde.org", true},
        {"plasmashell", true},
        {"plasma-org.kde", true},
        {"thumbnails", true},
        {"mesa_shader_cache", true},
        {"Tidewell", true},
        {"gnome", false},
        {"gimp", false},
        {"gtk-2.0x", false},
        {"autostart2", false},
        {"mykde", false},
        {"org.gnome.Maps", false},
        {"icons-old", false},
        {"", false},
    };
    for (const Row& row : rows) EXPECT_EQ(isSharedPlace(row.name), row.shared) << row.name;
}

}  // namespace
}  // namespace tidewell::Freedesktop
