#include "cleanup/freedesktop/startup_switches.h"

#include <memory>
#include <stdexcept>
#include <system_error>

#include "cleanup/freedesktop/entries/key_file.h"
#include "platform/xdg_folders.h"
#include "process/command_runner.h"
#include "util/atomic_file.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

void hideSystemAutostartEntry(const fs::path& systemEntry) {
    const fs::path userEntry = platform::XDGFolders::configHome() / "autostart" / systemEntry.filename();
    std::error_code error;
    if (fs::exists(fs::symlink_status(userEntry, error)))
        throw std::runtime_error("Your autostart folder already has an entry named " + systemEntry.filename().string() +
                                 ", and it is the one that starts.");
    KeyFile file(g_key_file_new());
    GError* failure = nullptr;
    const auto flags = static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
    if (!g_key_file_load_from_file(file.get(), systemEntry.c_str(), flags, &failure)) {
        const std::string reason = failure != nullptr ? failure->message : "unreadable";
        if (failure != nullptr) g_error_free(failure);
        throw std::runtime_error("Tidewell could not read " + systemEntry.string() + ": " + reason + ".");
    }
    g_key_file_set_boolean(file.get(), "Desktop Entry", "Hidden", TRUE);
    gsize length = 0;
    gchar* data = g_key_file_to_data(file.get(), &length, nullptr);
    const std::string text(data, length);
    g_free(data);
    writeFileAtomically(userEntry, text);
}

void disableUserUnit(const fs::path& unitFile) {
    const std::string unit = unitFile.filename().string();
    if (unit.empty() || unit.front() == '-') return;
    CommandRunner::runPassingOverFailure("systemctl", {"--user", "disable", "--now", unit}, 60);
}

void refreshUserMenus() {
    const fs::path folder = platform::XDGFolders::dataHome() / "applications";
    std::error_code error;
    if (fs::is_directory(folder, error))
        CommandRunner::runPassingOverFailure("update-desktop-database", {folder.string()}, 60);
}

}  // namespace tidewell::Freedesktop
