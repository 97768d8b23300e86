#include "cleanup/leftover_roots.h"

#include "platform/folder_locations.h"

namespace tidewell::AppScanner {

namespace locations = platform::FolderLocations;
using Kind = CleanupCandidate::Kind;
using Level = CleanupCandidate::SafetyLevel;

std::vector<LeftoverRoot> leftoverRoots() {
    const std::filesystem::path library = locations::userLibraryFolder();
    return {
        {library / "Containers", Kind::container, "Container", Level::review, false,
         "Sandbox container may include user data. Review before selecting."},
        {library / "Group Containers", Kind::groupContainer, "Group Container", Level::review, false,
         "Shared app container. Review carefully before selecting."},
        {library / "Application Scripts", Kind::applicationScripts, "Application Scripts", Level::likely, true,
         "Sandbox script folder left by an app extension or helper."},
        {locations::userCachesFolder(), Kind::cache, "Cache", Level::safe, true,
         "Cache leftover. Usually safe to move to Trash."},
        {locations::userApplicationSupportFolder(), Kind::applicationSupport, "Application Support", Level::review,
         false, "May contain user data. Review before selecting."},
        {locations::userPreferencesFolder(), Kind::preferences, "Preferences", Level::likely, true,
         "Preference file left behind by an app."},
    };
}

}  // namespace tidewell::AppScanner
