#include "cleanup/trash_executor.h"

#include <sys/stat.h>

#include <chrono>
#include <exception>

#include "cleanup/folder_listing.h"
#include "cleanup/safety_policy.h"
#include "platform/folder_locations.h"
#include "platform/layout_text.h"
#include "platform/trash.h"
#include "process/command_runner.h"
#include "util/path_containment.h"
#include "util/unicode_text.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

bool somethingExists(const fs::path& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n\v\f");
    return text.substr(first, last - first + 1);
}

bool isValidUTF8(const std::string& text) {
    return encodeUTF8(decodeUTF8(text)) == text;
}

// The administrator tool's complaint, or the fixed text when it said nothing usable.
std::string adminFailureText(const std::string& errorOutput) {
    const std::string text = trimmed(errorOutput);
    if (text.empty() || !isValidUTF8(text)) return TrashExecutor::adminCancelledMessage;
    return text;
}

fs::path standardized(const fs::path& url) {
    const auto path = SafetyPolicy::standardizedPath(url.native());
    return path ? fs::path(*path) : url.lexically_normal();
}

// Runs the administrator move of one reserved name; the reservation is
// released unless the item arrived.
fs::path runAdminMove(const fs::path& url, const platform::Trash::Reservation& reservation,
                      const std::string& adminTool) {
    const fs::path destination = reservation.filesPath();
    CommandOutput output;
    try {
        output = CommandRunner::run(adminTool, {"/bin/mv", "-n", "-T", "--", url.native(), destination.native()});
    } catch (...) {
        platform::Trash::release(reservation);
        throw;
    }
    if (output.status == 0 && !somethingExists(url) && somethingExists(destination)) return destination;
    platform::Trash::release(reservation);
    if (output.status == 0) throw TrashExecutor::TrashError::originalStillExists(url.native());
    throw TrashExecutor::TrashError::adminMoveFailed(adminFailureText(output.stderrText));
}

}  // namespace

TrashExecutor::TrashError::TrashError(Case kind, std::string value, const std::string& text)
    : std::runtime_error(text), kind_(kind), value_(std::move(value)) {}

TrashExecutor::TrashError TrashExecutor::TrashError::originalStillExists(const std::string& path) {
    return {Case::originalStillExists, path,
            platform::layoutText("macOS reported the move completed", "The move was reported as completed") +
                ", but the original app still exists at " + path +
                ". This usually means the app requires administrator authorization or is still running."};
}

TrashExecutor::TrashError TrashExecutor::TrashError::adminAuthorizationRequired(const std::string& fileName) {
    return {Case::adminAuthorizationRequired, fileName,
            fileName +
                " is installed for all users. Enable administrator permission in the cleanup plan before moving it "
                "to Trash."};
}

TrashExecutor::TrashError TrashExecutor::TrashError::adminMoveFailed(const std::string& message) {
    return {Case::adminMoveFailed, message, message};
}

TrashExecutor::Routes TrashExecutor::Routes::system() {
    Routes routes;
    routes.fileManager = [](const fs::path& item) { return platform::Trash::moveToTrash(item); };
    routes.recycleTool = CommandRunner::firstExecutable("gio", {"/usr/bin/gio", "/bin/gio"});
    routes.adminTool = CommandRunner::firstExecutable("pkexec", {"/usr/bin/pkexec", "/bin/pkexec"});
    return routes;
}

std::optional<fs::path> TrashExecutor::moveToTrash(const fs::path& url, bool allowAdminAuthorization,
                                                   const Routes& routes) {
    const fs::path u = standardized(url);
    std::exception_ptr lastError;
    try {
        const fs::path trashed = routes.fileManager(u);
        if (!somethingExists(u)) return trashed;
    } catch (...) {
        lastError = std::current_exception();
        bool recycled = false;
        try {
            recycled = recycleWithWorkspace(u, routes);
        } catch (...) {
            lastError = std::current_exception();
        }
        if (recycled && !somethingExists(u)) return std::nullopt;
        if (!recycled) {
            if (auto moved = moveAppBundleToUserTrashWithAdminIfAllowed(u, allowAdminAuthorization, routes)) {
                return moved;
            }
            if (!somethingExists(u)) return std::nullopt;
        }
    }
    if (auto moved = moveAppBundleToUserTrashWithAdminIfAllowed(u, allowAdminAuthorization, routes)) return moved;
    if (lastError) std::rethrow_exception(lastError);
    throw TrashError::originalStillExists(u.native());
}

bool TrashExecutor::recycleWithWorkspace(const fs::path& url, const Routes& routes) {
    if (!routes.recycleTool) return false;
    const CommandOutput output = CommandRunner::run(*routes.recycleTool, {"trash", "--", url.native()});
    if (output.status != 0) {
        const std::string text = output.combined();
        throw std::runtime_error(text.empty() ? "gio trash failed with status " + std::to_string(output.status) : text);
    }
    return true;
}

std::optional<fs::path> TrashExecutor::moveAppBundleToUserTrashWithAdminIfAllowed(const fs::path& url,
                                                                                  bool allowAdminAuthorization,
                                                                                  const Routes& routes) {
    if (AppScanner::pathExtension(url) != "app") return std::nullopt;
    if (isProtectedAdminMovePath(url.native())) return std::nullopt;
    if (!allowAdminAuthorization) throw TrashError::adminAuthorizationRequired(url.filename().native());
    const fs::path trash = platform::Trash::trashFolderFor(url);
    platform::Trash::prepareTrashFolder(trash);
    if (!routes.adminTool) throw TrashError::adminMoveFailed(adminCancelledMessage);
    const auto reservation = platform::Trash::reserve(url, trash);
    return runAdminMove(url, reservation, *routes.adminTool);
}

fs::path TrashExecutor::uniqueTrashDestination(const fs::path& url, const fs::path& folder) {
    const std::string name = url.filename().native();
    const auto stamp =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    for (int attempt = 0;; ++attempt) {
        fs::path candidate = folder / platform::Trash::candidateName(name, stamp, attempt);
        if (!somethingExists(candidate)) return candidate;
    }
}

std::string TrashExecutor::shellQuote(std::string_view text) {
    std::string quoted = "'";
    for (const char character : text) {
        if (character == '\'') {
            quoted += "'\\''";
        } else {
            quoted += character;
        }
    }
    return quoted + "'";
}

std::string TrashExecutor::appleScriptString(std::string_view text) {
    std::string quoted = "\"";
    for (const char character : text) {
        if (character == '\\' || character == '"') quoted += '\\';
        quoted += character;
    }
    return quoted + "\"";
}

bool TrashExecutor::isProtectedAdminMovePath(std::string_view path) {
    const std::string standardizedText = SafetyPolicy::standardizedPath(path).value_or(std::string(path));
    for (const char* root : {"/System", "/bin", "/sbin", "/Library/Keychains"}) {
        if (isPathInside(standardizedText, root)) return true;
        const std::string reRooted = platform::FolderLocations::systemPath(root).lexically_normal().native();
        if (isPathInside(standardizedText, reRooted)) return true;
    }
    return false;
}

}  // namespace tidewell
