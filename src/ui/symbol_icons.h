#pragma once

#include <QIcon>
#include <string_view>

namespace tidewell {

// The freedesktop icon-theme name that stands in for a symbol name; a generic
// document icon name for a symbol that has no mapping.
std::string_view themeIconName(std::string_view symbol);

// The theme's icon for the symbol, else one of the toolkit's own standard icons,
// so a desktop without an icon theme still shows something.
QIcon iconForSymbol(std::string_view symbol);

}  // namespace tidewell
