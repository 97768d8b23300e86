#include "ui/symbol_icons.h"

#include <QApplication>
#include <QStyle>
#include <utility>

namespace tidewell {

namespace {

struct SymbolIcon {
    std::string_view symbol;
    std::string_view themeName;
    QStyle::StandardPixmap fallback;
};

constexpr SymbolIcon symbolIcons[] = {
    {"trash", "user-trash", QStyle::SP_TrashIcon},
    {"cross.case", "applications-utilities", QStyle::SP_DialogApplyButton},
    {"externaldrive.badge.checkmark", "drive-removable-media", QStyle::SP_DriveHDIcon},
    {"house", "go-home", QStyle::SP_DirHomeIcon},
    {"magnifyingglass", "system-search", QStyle::SP_FileDialogContentsView},
    {"square.grid.2x2", "applications-other", QStyle::SP_FileDialogListView},
    {"internaldrive", "drive-harddisk", QStyle::SP_DriveHDIcon},
    {"memorychip", "media-flash", QStyle::SP_ComputerIcon},
    {"checkmark.shield", "security-high", QStyle::SP_DialogYesButton},
    {"tray.full", "folder", QStyle::SP_DirIcon},
    {"waveform.path.ecg", "utilities-system-monitor", QStyle::SP_BrowserReload},
    {"list.bullet.clipboard", "view-list-details", QStyle::SP_FileDialogDetailedView},
    {"doc.text.magnifyingglass", "document-preview", QStyle::SP_FileDialogInfoView},
    {"gearshape", "preferences-system", QStyle::SP_FileDialogDetailedView},
    // The tiles of a repair diagnosis
    {"archivebox", "package-x-generic", QStyle::SP_DirIcon},
    {"list.bullet", "format-justify-left", QStyle::SP_FileDialogListView},
    {"doc", "text-x-generic-template", QStyle::SP_FileIcon},
    {"doc.text", "x-office-document", QStyle::SP_FileIcon},
    {"wrench.and.screwdriver", "applications-engineering", QStyle::SP_ComputerIcon},
    {"film.stack", "video-x-generic", QStyle::SP_MediaPlay},
    {"arrow.triangle.2.circlepath", "view-refresh", QStyle::SP_BrowserReload},
    {"cube", "insert-object", QStyle::SP_FileDialogDetailedView},
    {"photo", "image-x-generic", QStyle::SP_FileIcon},
    {"square.and.arrow.down", "document-save", QStyle::SP_DialogSaveButton},
    {"waveform", "audio-x-generic", QStyle::SP_MediaVolume},
};

constexpr SymbolIcon unmappedSymbol{"", "text-x-generic", QStyle::SP_FileIcon};

const SymbolIcon& lookUp(std::string_view symbol) {
    for (const SymbolIcon& icon : symbolIcons)
        if (icon.symbol == symbol) return icon;
    return unmappedSymbol;
}

// Outside a desktop session Qt chooses no icon theme (or only "hicolor", which holds few
// icons) and may not even search the system's icon folders; the style's few small pixmaps
// would then stand in for every symbol. A theme the user's desktop chose is left alone.
void chooseIconThemeOutsideADesktop() {
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QStringLiteral("hicolor")) return;
    QStringList paths = QIcon::themeSearchPaths();
    const QString dataFolders = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& folder : dataFolders.split(':', Qt::SkipEmptyParts))
        if (!paths.contains(folder + "/icons")) paths << folder + "/icons";
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(QStringLiteral("Adwaita"));
}

}  // namespace

std::string_view themeIconName(std::string_view symbol) {
    return lookUp(symbol).themeName;
}

QIcon iconForSymbol(std::string_view symbol) {
    static const bool themeChosen = (chooseIconThemeOutsideADesktop(), true);
    (void)themeChosen;
    const SymbolIcon& icon = lookUp(symbol);
    const QString name = QString::fromUtf8(icon.themeName.data(), static_cast<qsizetype>(icon.themeName.size()));
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    return QApplication::style()->standardIcon(icon.fallback);
}

}  // namespace tidewell
