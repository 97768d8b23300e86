#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/launch_agent_info.h"
#include "platform/property_list.h"

namespace tidewell::AppScanner {

// Every startup item: the user's LaunchAgents, then the system LaunchAgents
// and LaunchDaemons (those two require an administrator).
std::vector<LaunchAgentInfo> launchAgentCandidates();

// The ".plist" children of one folder that parse as a dictionary naming a program.
std::vector<LaunchAgentInfo> launchItems(const std::filesystem::path& folder, bool requiresAdmin);

// The startup item one property list describes; none without a program.
std::optional<LaunchAgentInfo> launchItem(const std::filesystem::path& path,
                                          const platform::PropertyListValue::Dictionary& dictionary,
                                          bool requiresAdmin);

// "Program" when it is a String, else the first element of "ProgramArguments"
// when that is a non-empty array of Strings, else "".
std::string programPath(const platform::PropertyListValue::Dictionary& dictionary);

// True when the item starts or keeps alive the app at `appURL`.
bool launchItem(const LaunchAgentInfo& item, const std::filesystem::path& appURL,
                const std::optional<std::string>& executablePath, const std::string& bundleID,
                const std::string& appName);

}  // namespace tidewell::AppScanner
