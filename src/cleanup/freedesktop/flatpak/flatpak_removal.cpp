#include "cleanup/freedesktop/flatpak/flatpak_removal.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "cleanup/freedesktop/flatpak/flatpak_installation_opening.h"
#include "process/command_runner.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

bool isSameFolder(const fs::path& left, const fs::path& right) {
    if (left.lexically_normal() == right.lexically_normal()) return true;
    std::error_code error;
    return fs::equivalent(left, right, error);
}

// The full ref ("app/<id>/<arch>/<branch>") of the app `appID` deployed at `deployFolder`:
// with several branches installed, the deploy folder names the one to remove.
std::optional<std::string> installedRef(FlatpakInstallation* installation, const std::string& appID,
                                        const fs::path& deployFolder) {
    GPtrArray* refs =
        flatpak_installation_list_installed_refs_by_kind(installation, FLATPAK_REF_KIND_APP, nullptr, nullptr);
    std::optional<std::string> found;
    for (guint index = 0; refs != nullptr && index < refs->len && !found; ++index) {
        auto* ref = FLATPAK_INSTALLED_REF(g_ptr_array_index(refs, index));
        const char* name = flatpak_ref_get_name(FLATPAK_REF(ref));
        const char* folder = flatpak_installed_ref_get_deploy_dir(ref);
        if (name == nullptr || name != appID || folder == nullptr || !isSameFolder(folder, deployFolder)) continue;
        if (gchar* formatted = flatpak_ref_format_ref(FLATPAK_REF(ref))) {
            found = formatted;
            g_free(formatted);
        }
    }
    if (refs != nullptr) g_ptr_array_unref(refs);
    return found;
}

// libflatpak's own message, the GError released.
std::runtime_error flatpakError(GError* error, const std::string& appID) {
    std::string message = error != nullptr && error->message != nullptr && *error->message != '\0'
                              ? error->message
                              : "Flatpak could not uninstall " + appID + ".";
    g_clear_error(&error);
    return std::runtime_error(message);
}

void runUninstall(FlatpakInstallation* installation, const std::string& ref, const std::string& appID) {
    GError* error = nullptr;
    const GObjectHandle<FlatpakTransaction> transaction(
        flatpak_transaction_new_for_installation(installation, nullptr, &error));
    if (!transaction) throw flatpakError(error, appID);
    // The transaction asks no questions of its own. Interaction stays allowed
    // (flatpak_transaction_set_no_interaction is not called) because it only governs polkit:
    // a user removing a system app must be able to authorize. Unused runtimes stay installed
    // (include-unused-uninstall-ops is off by default) and ~/.var/app is not this call's to touch.
    if (!flatpak_transaction_add_uninstall(transaction.get(), ref.c_str(), &error) ||
        !flatpak_transaction_run(transaction.get(), nullptr, &error))
        throw flatpakError(error, appID);
}

// Letters, digits, '_', '-' and '.', starting with a letter or '_' so it never reads as an option.
bool isPlainFlatpakID(std::string_view appID) {
    if (appID.empty() || appID.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                 "0123456789_-.") != std::string_view::npos)
        return false;
    const char first = appID.front();
    return first == '_' || (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
}

}  // namespace

void uninstallFlatpak(const std::string& appID, const fs::path& deployFolder) {
    for (const bool user : {true, false}) {
        const GObjectHandle<FlatpakInstallation> installation = openFlatpakInstallation(user);
        if (!installation) continue;
        if (const auto ref = installedRef(installation.get(), appID, deployFolder)) {
            runUninstall(installation.get(), *ref, appID);
            return;
        }
    }
    throw std::runtime_error("No Flatpak installation holds " + appID + " at " + deployFolder.string() + ".");
}

void killFlatpakInstances(const std::string& appID) {
    if (!isPlainFlatpakID(appID)) throw std::runtime_error("\"" + appID + "\" is not a Flatpak app id.");
    // A non-zero exit mostly means no instance runs; a hung or missing flatpak is left to
    // the quit rules that follow too.
    constexpr double timeoutSeconds = 30;
    CommandRunner::runPassingOverFailure("flatpak", {"kill", appID}, timeoutSeconds);
}

}  // namespace tidewell::Freedesktop
