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
};

constexpr SymbolIcon unmappedSymbol{"", "text-x-generic", QStyle::SP_FileIcon};

const SymbolIcon& lookUp(std::string_view symbol) {
    for (const SymbolIcon& icon : symbolIcons)
        if (icon.symbol == symbol) return icon;
    return unmappedSymbol;
}

}  // namespace

std::string_view themeIconName(std::string_view symbol) {
    return lookUp(symbol).themeName;
}

QIcon iconForSymbol(std::string_view symbol) {
    const SymbolIcon& icon = lookUp(symbol);
    const QString name = QString::fromUtf8(icon.themeName.data(), static_cast<qsizetype>(icon.themeName.size()));
    if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    return QApplication::style()->standardIcon(icon.fallback);
}

}  // namespace tidewell
