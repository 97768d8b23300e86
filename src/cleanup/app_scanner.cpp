#include "cleanup/app_scanner.h"

#include <algorithm>
#include <set>
#include <system_error>

#include "cleanup/cleanup_candidates.h"
#include "cleanup/folder_listing.h"
#include "cleanup/saturating_sum.h"
#include "cleanup/startup_items.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/file_properties.h"
#include "platform/folder_locations.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;
namespace folders = platform::FolderLocations;

namespace {

// What one pass reads once and matches against every app.
struct PassContext {
    bool includePermissionSensitive = false;
    std::vector<platform::RunningProcess> processes;
    std::vector<InstallerCandidate> installers;
    std::vector<LaunchAgentInfo> launchItems;
};

std::vector<InstallerCandidate> matchedInstallers(const PassContext& context, const AppInfo& app) {
    std::vector<InstallerCandidate> matched;
    for (const InstallerCandidate& candidate : context.installers)
        if (installer(candidate, app.name, app.bundleIdentifier)) matched.push_back(candidate);
    return matched;
}

std::vector<LaunchAgentInfo> matchedLaunchItems(const PassContext& context, const AppInfo& app, const fs::path& appURL,
                                                const std::optional<std::string>& executablePath) {
    std::vector<LaunchAgentInfo> matched;
    for (const LaunchAgentInfo& item : context.launchItems)
        if (launchItem(item, appURL, executablePath, app.bundleIdentifier, app.name)) matched.push_back(item);
    return matched;
}

// Describes the app at `appURL`, reached through the root entry `entryURL`.
AppInfo inspectApp(const fs::path& entryURL, const fs::path& appURL, const PassContext& context) {
    const auto bundle = platform::openAppBundle(appURL);
    AppInfo app;
    app.id = app.path = appURL.string();
    app.bundleIdentifier = bundle ? bundle->identifier().value_or(unknownBundleIdentifier) : unknownBundleIdentifier;
    app.name = displayName(appURL, bundle ? &*bundle : nullptr);
    app.version = bundle ? bundle->infoString("CFBundleShortVersionString").value_or("-") : "-";
    std::optional<std::string> executablePath;
    if (bundle)
        if (auto executable = bundle->executablePath()) executablePath = executable->string();
    app.memoryBytes = memoryForApp(app.path, executablePath, context.processes);
    app.isRunning = app.memoryBytes > 0;
    app.isProtected = app.path.starts_with((folders::systemFolder() / "").string());
    const UsageDates dates = usageDates(appURL);
    app.lastUsedDate = dates.lastUsed;
    app.installedDate = dates.installed;
    app.sizeBytes = directorySize(appURL);

    const RelatedUsage related =
        context.includePermissionSensitive ? relatedUsage(app.bundleIdentifier, app.name) : RelatedUsage{};
    applyRelatedUsage(app, related);
    const std::vector<InstallerCandidate> installers = matchedInstallers(context, app);
    for (const InstallerCandidate& installer : installers)
        app.installerBytes = saturatingSum(app.installerBytes, installer.sizeBytes);
    app.installerCount = static_cast<std::int64_t>(installers.size());
    app.launchAgents = matchedLaunchItems(context, app, appURL, executablePath);

    std::optional<fs::path> appLinkURL;
    if (appURL != entryURL) appLinkURL = entryURL;
    app.cleanupCandidates = cleanupCandidates(appURL, appLinkURL, app.name, app.bundleIdentifier, app.sizeBytes,
                                              related, installers, app.launchAgents, app.isProtected);
    if (bundle) app.icon = bundle->iconPath();
    return app;
}

}  // namespace

void applyRelatedUsage(AppInfo& app, const RelatedUsage& related) {
    app.relatedBytes = related.total();
    app.cacheBytes = related.cache;
    app.supportBytes = related.support;
    app.preferenceBytes = related.preferences;
    app.savedStateBytes = related.savedState;
    app.logBytes = related.logs;
}

bool sortsBefore(const AppInfo& left, const AppInfo& right) {
    if (left.isProtected != right.isProtected) return !left.isProtected;
    return compareIgnoringCase(left.name, right.name) < 0;
}

std::vector<AppInfo> scan(bool includePermissionSensitive) {
    PassContext context;
    context.includePermissionSensitive = includePermissionSensitive;
    context.processes = runningProcessSnapshot();
    if (includePermissionSensitive) {
        context.installers = installerCandidates();
        context.launchItems = launchAgentCandidates();
    }
    std::set<std::string> taken;
    std::vector<AppInfo> apps;
    for (const fs::path& root :
         {folders::applicationsFolder(), folders::userApplicationsFolder(), folders::systemApplicationsFolder()}) {
        for (const fs::path& child : visibleChildren(root)) {
            if (pathExtension(child) != "app") continue;
            const fs::path entryURL = child.lexically_normal();
            const fs::path appURL = resolvedAppURL(entryURL);
            // Reached directly and through a link, an app is listed once, at its first encounter.
            if (!taken.insert(appURL.string()).second) continue;
            apps.push_back(inspectApp(entryURL, appURL, context));
        }
    }
    std::stable_sort(apps.begin(), apps.end(), sortsBefore);
    return apps;
}

fs::path resolvedAppURL(const fs::path& url) {
    const auto properties = platform::fileProperties(url);
    if (!properties || !properties->isSymbolicLink) return url;
    std::error_code error;
    const fs::path resolved = fs::canonical(url, error);
    if (error || pathExtension(resolved) != "app" || !fs::is_directory(resolved, error)) return url;
    return resolved;
}

std::string displayName(const fs::path& url, const platform::AppBundle* bundle) {
    if (bundle != nullptr) {
        for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
            auto value = bundle->infoString(key);
            if (value && !value->empty()) return *value;
        }
    }
    return nameWithoutExtension(url);
}

std::vector<platform::RunningProcess> runningProcessSnapshot() {
    return platform::runningProcesses();
}

std::int64_t residentMemory(std::int32_t pid) {
    return platform::residentMemory(pid);
}

std::int64_t memoryForApp(const std::string& bundlePath, const std::optional<std::string>& executablePath,
                          const std::vector<platform::RunningProcess>& running) {
    std::int64_t total = 0;
    for (const platform::RunningProcess& process : running) {
        if (process.path.starts_with(bundlePath) || (executablePath && process.path == *executablePath))
            total = saturatingSum(total, process.rss);
    }
    return total;
}

UsageDates usageDates(const fs::path& url) {
    const auto properties = platform::fileProperties(url);
    if (!properties) return {};
    UsageDates dates;
    dates.lastUsed = properties->accessDate;
    if (properties->creationDate)
        dates.installed = properties->creationDate;
    else if (properties->addedDate)
        dates.installed = properties->addedDate;
    else
        dates.installed = properties->modificationDate;
    return dates;
}

}  // namespace tidewell::AppScanner
