#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tidewell {

// The five interface languages, in the order of the language picker. The raw value is the
// language's own name; it is what is stored in the settings and passed around as a string.
enum class AppLanguage { english, simplifiedChinese, spanish, japanese, french };

inline constexpr std::array<AppLanguage, 5> allAppLanguageCases{AppLanguage::english, AppLanguage::simplifiedChinese,
                                                                AppLanguage::spanish, AppLanguage::japanese,
                                                                AppLanguage::french};

// "English", "简体中文", "Español", "日本語" or "Français".
std::string_view rawValue(AppLanguage language);

// The identity of a language is its raw value.
inline std::string_view id(AppLanguage language) {
    return rawValue(language);
}

// The locale whose date formats go with the language: "en_US", "zh_CN", "es_ES", "ja_JP" or "fr_FR".
std::string_view localeName(AppLanguage language);

// The language whose raw value is exactly `raw`; any other text yields no language.
std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw);

}  // namespace tidewell
