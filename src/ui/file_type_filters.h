#pragma once

#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell {

// Content type names as the workflows pass them to the open panel (the desktop's MIME names,
// and a few dotted type names) turned into the file dialog's name filters.
namespace FileTypeFilters {

// The glob patterns ("*.jpg", "*.jpeg") of one content type; empty for an unknown type.
std::vector<std::string> globPatterns(std::string_view contentType);

// "Supported files (*.zip *.pdf …)" for the given types. No types, or any type without known
// patterns, gives "All files (*)" alone, so no file the caller allows is ever hidden.
QStringList nameFilters(const std::vector<std::string>& contentTypes);

}  // namespace FileTypeFilters
}  // namespace tidewell
