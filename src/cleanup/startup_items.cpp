#include "cleanup/startup_items.h"

#include <algorithm>

#include "cleanup/folder_listing.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/folder_locations.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;
namespace folders = platform::FolderLocations;
using Dictionary = platform::PropertyListValue::Dictionary;

namespace {

std::string withoutSpaces(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// A "KeepAlive" dictionary of conditions keeps the job alive under those conditions: it counts as true.
bool keepAliveValue(const Dictionary& dictionary) {
    const auto* value = platform::findValue(dictionary, "KeepAlive");
    if (value == nullptr) return false;
    if (const auto* flag = std::get_if<bool>(&value->value)) return *flag;
    return true;
}

}  // namespace

std::string programPath(const Dictionary& dictionary) {
    if (auto program = platform::stringValue(dictionary, "Program")) return *program;
    const auto* arguments = platform::findValue(dictionary, "ProgramArguments");
    if (arguments == nullptr) return {};
    const auto* array = std::get_if<platform::PropertyListValue::Array>(&arguments->value);
    if (array == nullptr || array->empty()) return {};
    const bool allStrings = std::all_of(array->begin(), array->end(), [](const platform::PropertyListValue& element) {
        return std::holds_alternative<std::string>(element.value);
    });
    return allStrings ? std::get<std::string>(array->front().value) : std::string();
}

std::optional<LaunchAgentInfo> launchItem(const fs::path& path, const Dictionary& dictionary, bool requiresAdmin) {
    std::string program = programPath(dictionary);
    if (program.empty()) return std::nullopt;
    LaunchAgentInfo item;
    item.id = item.path = path.string();
    item.label = platform::stringValue(dictionary, "Label").value_or(nameWithoutExtension(path));
    item.keepAlive = keepAliveValue(dictionary);
    item.runAtLoad = platform::boolValue(dictionary, "RunAtLoad").value_or(false);
    item.requiresAdmin = requiresAdmin;
    if (program.starts_with((folders::privilegedHelperToolsFolder() / "").string())) item.helperPath = program;
    item.program = std::move(program);
    return item;
}

std::vector<LaunchAgentInfo> launchItems(const fs::path& folder, bool requiresAdmin) {
    std::vector<LaunchAgentInfo> items;
    for (const fs::path& child : visibleChildren(folder)) {
        if (pathExtension(child) != "plist") continue;
        auto dictionary = platform::readPropertyListDictionary(child);
        if (!dictionary) continue;
        if (auto item = launchItem(child, *dictionary, requiresAdmin)) items.push_back(std::move(*item));
    }
    return items;
}

std::vector<LaunchAgentInfo> launchAgentCandidates() {
    std::vector<LaunchAgentInfo> items = launchItems(folders::userLaunchAgentsFolder(), false);
    for (const fs::path& folder : {folders::systemLaunchAgentsFolder(), folders::systemLaunchDaemonsFolder()}) {
        std::vector<LaunchAgentInfo> systemItems = launchItems(folder, true);
        items.insert(items.end(), std::make_move_iterator(systemItems.begin()),
                     std::make_move_iterator(systemItems.end()));
    }
    return items;
}

bool launchItem(const LaunchAgentInfo& item, const fs::path& appURL, const std::optional<std::string>& executablePath,
                const std::string& bundleID, const std::string& appName) {
    if (item.program.starts_with(appURL.string())) return true;
    if (executablePath && *executablePath == item.program) return true;
    if (bundleID != unknownBundleIdentifier) {
        if (containsIgnoringCase(item.label, bundleID) || containsIgnoringCase(item.program, bundleID)) return true;
        if (item.helperPath && containsIgnoringCase(*item.helperPath, bundleID)) return true;
    }
    const std::string compactName = withoutSpaces(appName);
    if (compactName.empty()) return false;
    return containsIgnoringCase(withoutSpaces(item.label), compactName) ||
           containsIgnoringCase(withoutSpaces(item.program), compactName);
}

}  // namespace tidewell::AppScanner
