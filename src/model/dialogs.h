#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell {

// The open and save panels the workflows ask. The application answers with real file
// dialogs; tests answer with scripted paths. Every call blocks until the user answers.
class Dialogs {
public:
    struct OpenRequest {
        std::string title;
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        std::optional<std::filesystem::path> directory;  // the folder the panel opens in
        std::string message;                             // the explanation shown in the panel
        bool canCreateDirectories = false;
        // Content type names ("public.jpeg", "com.adobe.pdf"); empty allows every file.
        std::vector<std::string> allowedContentTypes;
    };
    struct SaveRequest {
        std::string title;
        std::string suggestedName;
        std::optional<std::filesystem::path> directory;
        std::string message;
    };

    virtual ~Dialogs() = default;
    // The chosen items; empty when the user cancels.
    virtual std::vector<std::filesystem::path> chooseForOpening(const OpenRequest& request) = 0;
    // The chosen destination; none when the user cancels.
    virtual std::optional<std::filesystem::path> chooseForSaving(const SaveRequest& request) = 0;
};

}  // namespace tidewell
