#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/dialogs.h"

namespace tidewell {

// Asks for one folder in the open panel; none when the user cancels or no dialogs are installed.
inline std::optional<std::filesystem::path> chooseFolder(Dialogs* dialogs, const std::string& title,
                                                         const std::string& message, bool canCreateDirectories) {
    if (!dialogs) return std::nullopt;
    const std::vector<std::filesystem::path> chosen =
        dialogs->chooseForOpening({.title = title,
                                   .canChooseFiles = false,
                                   .canChooseDirectories = true,
                                   .allowsMultipleSelection = false,
                                   .message = message,
                                   .canCreateDirectories = canCreateDirectories});
    if (chosen.empty()) return std::nullopt;
    return chosen.front();
}

}  // namespace tidewell
