#pragma once

#include <glib.h>

#include <memory>

namespace tidewell::Freedesktop {

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

// A GLib key file (desktop entries, autostart entries) freed with its owner.
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

}  // namespace tidewell::Freedesktop
