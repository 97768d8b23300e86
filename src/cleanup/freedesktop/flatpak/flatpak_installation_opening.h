#pragma once

#include <flatpak.h>

#include <memory>

namespace tidewell::Freedesktop {

struct GObjectRelease {
    void operator()(gpointer object) const { g_object_unref(object); }
};

// A GObject reference released when the handle goes away.
template <typename Object>
using GObjectHandle = std::unique_ptr<Object, GObjectRelease>;

// The user installation (FLATPAK_USER_DIR, else the data home's "flatpak") when `user`, else
// the system one (<root>/var/lib/flatpak, opened by its path when the system is re-rooted).
// Null when the installation's folder does not exist, so opening never creates one.
GObjectHandle<FlatpakInstallation> openFlatpakInstallation(bool user);

}  // namespace tidewell::Freedesktop
