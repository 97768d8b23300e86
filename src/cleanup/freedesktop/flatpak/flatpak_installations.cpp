#include "cleanup/freedesktop/flatpak/flatpak_installations.h"

#include <flatpak.h>

#include <cstdlib>
#include <system_error>

#include "platform/folder_locations.h"
#include "platform/xdg_folders.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

fs::path userInstallationFolder() {
    const char* folder = std::getenv("FLATPAK_USER_DIR");
    if (folder != nullptr && *folder != '\0') return folder;
    return platform::XDGFolders::dataHome() / "flatpak";
}

FlatpakInstallation* openInstallation(bool user) {
    std::error_code error;
    if (user) {
        if (!fs::is_directory(userInstallationFolder(), error)) return nullptr;
        return flatpak_installation_new_user(nullptr, nullptr);
    }
    const fs::path folder = platform::FolderLocations::systemPath("/var/lib/flatpak");
    if (!fs::is_directory(folder, error)) return nullptr;
    if (platform::FolderLocations::systemRoot() == "/") return flatpak_installation_new_system(nullptr, nullptr);
    GFile* file = g_file_new_for_path(folder.c_str());
    FlatpakInstallation* installation = flatpak_installation_new_for_path(file, FALSE, nullptr, nullptr);
    g_object_unref(file);
    return installation;
}

std::string text(const char* value, const char* fallback = "") {
    return value != nullptr && *value != '\0' ? value : fallback;
}

void appendApps(bool user, std::vector<InstalledFlatpak>& apps) {
    FlatpakInstallation* installation = openInstallation(user);
    if (installation == nullptr) return;
    fs::path exported;
    if (GFile* root = flatpak_installation_get_path(installation)) {
        if (gchar* path = g_file_get_path(root)) {
            exported = fs::path(path) / "exports/share/applications";
            g_free(path);
        }
        g_object_unref(root);
    }
    GPtrArray* refs =
        flatpak_installation_list_installed_refs_by_kind(installation, FLATPAK_REF_KIND_APP, nullptr, nullptr);
    for (guint index = 0; refs != nullptr && index < refs->len; ++index) {
        auto* ref = FLATPAK_INSTALLED_REF(g_ptr_array_index(refs, index));
        InstalledFlatpak app;
        app.id = text(flatpak_ref_get_name(FLATPAK_REF(ref)));
        app.installation = user ? "user" : "system";
        app.deployFolder = text(flatpak_installed_ref_get_deploy_dir(ref));
        app.exportedApplications = exported;
        app.sizeBytes = static_cast<std::int64_t>(flatpak_installed_ref_get_installed_size(ref));
        app.version = text(flatpak_installed_ref_get_appdata_version(ref), "-");
        if (!app.id.empty()) apps.push_back(app);
    }
    if (refs != nullptr) g_ptr_array_unref(refs);
    g_object_unref(installation);
}

}  // namespace

std::vector<InstalledFlatpak> installedFlatpaks() {
    std::vector<InstalledFlatpak> apps;
    appendApps(true, apps);
    appendApps(false, apps);
    return apps;
}

}  // namespace tidewell::Freedesktop
