#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

// Two-way texts of the repair and recovery pages that are not keys of the model's table: the
// English sentence written where it is used, its Simplified Chinese text looked up here. State,
// kind and level names the engines hand over go through the same lookup, so they read in
// Chinese too; any text not listed (a file name, an engine's own message) stays as it is.
namespace tidewell::PageTexts {

using Texts = std::map<std::string, std::string, std::less<>>;

// English text -> Simplified Chinese text.
const Texts& chinese();

// The Chinese text when `language` is "简体中文" and one is listed; `english` otherwise.
std::string text(std::string_view english, std::string_view language);

}  // namespace tidewell::PageTexts
