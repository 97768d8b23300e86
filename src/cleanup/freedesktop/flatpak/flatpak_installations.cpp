#include "cleanup/freedesktop/flatpak/flatpak_installations.h"

#include "cleanup/freedesktop/flatpak/flatpak_installation_opening.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

std::string text(const char* value, const char* fallback = "") {
    return value != nullptr && *value != '\0' ? value : fallback;
}

void appendApps(bool user, std::vector<InstalledFlatpak>& apps) {
    const GObjectHandle<FlatpakInstallation> installation = openFlatpakInstallation(user);
    if (!installation) return;
    fs::path exported;
    if (GFile* root = flatpak_installation_get_path(installation.get())) {
        if (gchar* path = g_file_get_path(root)) {
            exported = fs::path(path) / "exports/share/applications";
            g_free(path);
        }
        g_object_unref(root);
    }
    GPtrArray* refs =
        flatpak_installation_list_installed_refs_by_kind(installation.get(), FLATPAK_REF_KIND_APP, nullptr, nullptr);
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
}

}  // namespace

std::vector<InstalledFlatpak> installedFlatpaks() {
    std::vector<InstalledFlatpak> apps;
    appendApps(true, apps);
    appendApps(false, apps);
    return apps;
}

}  // namespace tidewell::Freedesktop
