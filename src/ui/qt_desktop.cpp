#include "ui/qt_desktop.h"

#include <QDesktopServices>
#include <QUrl>
#include <set>

#include "ui/qt_text.h"

namespace tidewell {

namespace {

bool openLocalFile(const std::filesystem::path& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(path.string())));
}

}  // namespace

void QtDesktop::revealInFileBrowser(const std::vector<std::filesystem::path>& items) {
    // Each containing folder opens once, however many of its items are shown.
    std::set<std::filesystem::path> folders;
    for (const auto& item : items) folders.insert(item.parent_path());
    for (const auto& folder : folders) openLocalFile(folder);
}

bool QtDesktop::openWithDefaultApplication(const std::filesystem::path& file) {
    return openLocalFile(file);
}

}  // namespace tidewell
