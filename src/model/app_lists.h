#pragma once

#include <cstddef>
#include <vector>

#include "cleanup/app_info.h"

// The app lists the pages show, derived from the inventory on every read. Ties keep the
// inventory's order.
namespace tidewell::AppLists {

namespace Limits {
inline constexpr std::size_t diskLeaders = 8;
inline constexpr std::size_t memoryLeaders = 8;
inline constexpr std::size_t installerLeaders = 12;
}  // namespace Limits

// Apps that are not protected, in inventory order.
std::vector<AppInfo> thirdPartyApps(const std::vector<AppInfo>& apps);
// Protected apps, in inventory order.
std::vector<AppInfo> protectedApps(const std::vector<AppInfo>& apps);
// The 8 largest by total disk use.
std::vector<AppInfo> diskLeaders(const std::vector<AppInfo>& apps);
// The 8 largest by resident memory.
std::vector<AppInfo> memoryLeaders(const std::vector<AppInfo>& apps);
// The 12 largest by installer plus cache bytes, among apps with installers or related files.
std::vector<AppInfo> installerLeaders(const std::vector<AppInfo>& apps);
// Unprotected apps that run or have startup items, most startup items first.
std::vector<AppInfo> stubbornApps(const std::vector<AppInfo>& apps);

}  // namespace tidewell::AppLists
