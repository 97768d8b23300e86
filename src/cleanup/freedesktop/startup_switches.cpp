#include "cleanup/freedesktop/startup_switches.h"

#include <glib.h>

#include <memory>
#include <stdexcept>
#include <system_error>

#include "platform/xdg_folders.h"
#include "process/command_runner.h"
#include "util/atomic_file.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

// Runs a system program and passes over whatever goes wrong.
void runQuietly(const std::string& name, const std::vector<std::string>& arguments) {
    const std::optional<std::string> program = CommandRunner::programOnPath(name);
    if (!program) return;
    try {
        CommandRunner::run(*program, arguments, std::nullopt, std::nullopt, nullptr, 60);
    } catch (const std::exception&) {
        // The caller's next step holds without it.
    }
}

}  // namespace

void hideSystemAutostartEntry(const fs::path& systemEntry) {
    const fs::path userEntry = platform::XDGFolders::configHome() / "autostart" / systemEntry.filename();
    std::error_code error;
    if (fs::exists(fs::symlink_status(userEntry, error)))
        throw std::runtime_error("Your autostart folder already has an entry named " + systemEntry.filename().string() +
                                 ", and it is the one that starts.");
    std::unique_ptr<GKeyFile, KeyFileFree> file(g_key_file_new());
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
    runQuietly("systemctl", {"--user", "disable", "--now", unit});
}

void refreshUserMenus() {
    const fs::path folder = platform::XDGFolders::dataHome() / "applications";
    std::error_code error;
    if (fs::is_directory(folder, error)) runQuietly("update-desktop-database", {folder.string()});
}

}  // namespace tidewell::Freedesktop
