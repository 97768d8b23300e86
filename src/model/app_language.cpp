#include "model/app_language.h"

namespace tidewell {

std::string_view rawValue(AppLanguage language) {
    switch (language) {
        case AppLanguage::english:
            return "English";
        case AppLanguage::simplifiedChinese:
            return "简体中文";
        case AppLanguage::spanish:
            return "Español";
        case AppLanguage::japanese:
            return "日本語";
        case AppLanguage::french:
            return "Français";
    }
    return "English";
}

std::string_view localeName(AppLanguage language) {
    switch (language) {
        case AppLanguage::english:
            return "en_US";
        case AppLanguage::simplifiedChinese:
            return "zh_CN";
        case AppLanguage::spanish:
            return "es_ES";
        case AppLanguage::japanese:
            return "ja_JP";
        case AppLanguage::french:
            return "fr_FR";
    }
    return "en_US";
}

std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw) {
    for (const AppLanguage language : allAppLanguageCases) {
        if (rawValue(language) == raw) return language;
    }
    return std::nullopt;
}

}  // namespace tidewell
