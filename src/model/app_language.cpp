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

std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw) {
    for (const AppLanguage language : allAppLanguageCases) {
        if (rawValue(language) == raw) return language;
    }
    return std::nullopt;
}

}  // namespace tidewell
