#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Texts in the interface language. Two mechanisms live side by side: a keyed table for the
// labels, titles and hints of the main screens, and two-way texts written inline where they are
// used (`pick`). Languages are passed as their raw value (see AppLanguage), so an unknown stored
// language still works and simply shows English.
namespace tidewell::I18n {

using LanguageTexts = std::map<std::string, std::string, std::less<>>;
// Language raw value -> key -> text. Every language holds every key.
using Table = std::map<std::string, LanguageTexts, std::less<>>;

// Built once, on first use.
const Table& table();

// Every key of the table, in list order.
const std::vector<std::string>& keys();

// Keys whose text names macOS parts have a variant "<key>.freedesktop" naming what does the
// work on Linux.
inline constexpr std::string_view freedesktopVariantSuffix = ".freedesktop";

// The key's text in `language`, else its English text, else the key itself. Never fails. Under
// the freedesktop layout a key's freedesktop variant is used when the table has one.
std::string t(std::string_view key, std::string_view language);

// Like t, for exactly this key whatever the layout.
std::string textOf(std::string_view key, std::string_view language);

// An inline two-way text: the Chinese text when `language` is "简体中文", the English one otherwise.
std::string pick(std::string_view language, std::string_view english, std::string_view chinese);

// "1 item" for exactly one and "{n} items" for every other n, in `language` ("{n} 项" in Simplified
// Chinese, "{n} elementos" in Spanish...); English for an unknown language.
std::string localizedItemCount(std::int64_t n, std::string_view language);

}  // namespace tidewell::I18n
