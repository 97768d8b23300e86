#pragma once

#include <filesystem>
#include <vector>

namespace tidewell {

// What the workflows hand to the user's desktop: showing files in the file browser and
// opening a file with its default application. The application implements it with Qt;
// tests record the calls.
class Desktop {
public:
    virtual ~Desktop() = default;
    // Shows the items selected in a file browser window.
    virtual void revealInFileBrowser(const std::vector<std::filesystem::path>& items) = 0;
    // False when no application could open the file.
    virtual bool openWithDefaultApplication(const std::filesystem::path& file) = 0;
};

}  // namespace tidewell
