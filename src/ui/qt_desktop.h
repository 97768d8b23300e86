#pragma once

#include "model/desktop.h"

namespace tidewell {

// The desktop through Qt's desktop services: the file browser shows an item's folder, and
// files open in the application the desktop associates with them.
class QtDesktop : public Desktop {
public:
    void revealInFileBrowser(const std::vector<std::filesystem::path>& items) override;
    bool openWithDefaultApplication(const std::filesystem::path& file) override;
};

}  // namespace tidewell
