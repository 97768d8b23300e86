#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tidewell {

// Moves one item to the user's Trash: first the desktop Trash directly, then
// the recycle tool ("gio trash"), and for an app bundle only an administrator
// may move, an administrator-authorised rename into the same Trash. Nothing is
// ever deleted. Synchronous; the model calls it from its worker thread.
struct TrashExecutor {
    class TrashError : public std::runtime_error {
    public:
        enum class Case { originalStillExists, adminAuthorizationRequired, adminMoveFailed };

        static TrashError originalStillExists(const std::string& path);
        static TrashError adminAuthorizationRequired(const std::string& fileName);
        static TrashError adminMoveFailed(const std::string& message);

        Case kind() const { return kind_; }
        // The path, file name or message the case carries.
        const std::string& value() const { return value_; }

    private:
        TrashError(Case kind, std::string value, const std::string& text);
        Case kind_;
        std::string value_;
    };

    // The routes, replaceable so tests can reach each one.
    struct Routes {
        // Moves into the desktop Trash and answers the new location; throws on failure.
        std::function<std::filesystem::path(const std::filesystem::path&)> fileManager;
        std::optional<std::string> recycleTool;  // "gio"; none skips the recycle route
        std::optional<std::string> adminTool;    // "pkexec"; none fails the administrator route

        // The desktop Trash, and gio and pkexec from /usr/bin or /bin when installed.
        static Routes system();
    };

    inline static const std::string adminCancelledMessage = "Administrator authorization was cancelled or failed.";

    // The item's location in the Trash when known. Throws TrashError, or the
    // error of the last route tried when every route failed.
    static std::optional<std::filesystem::path> moveToTrash(const std::filesystem::path& url,
                                                            bool allowAdminAuthorization,
                                                            const Routes& routes = Routes::system());

    // folder/name when free, else "base stamp.ext", "base stamp-2.ext", ...
    static std::filesystem::path uniqueTrashDestination(const std::filesystem::path& url,
                                                        const std::filesystem::path& folder);
    // POSIX single quoting; AppleScript string literal. Kept for the macOS back end.
    static std::string shellQuote(std::string_view text);
    static std::string appleScriptString(std::string_view text);
    // "/System", "/bin", "/sbin", "/Library/Keychains" or below (also re-rooted).
    static bool isProtectedAdminMovePath(std::string_view path);

private:
    // False when no recycle tool is installed; throws the tool's complaint when it fails.
    static bool recycleWithWorkspace(const std::filesystem::path& url, const Routes& routes);
    static std::optional<std::filesystem::path> moveAppBundleToUserTrashWithAdminIfAllowed(
        const std::filesystem::path& url, bool allowAdminAuthorization, const Routes& routes);
};

}  // namespace tidewell
