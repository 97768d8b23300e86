#pragma once

#include <string>

namespace tidewell::LanguageSetting {

// The settings key that holds the interface language's raw value.
inline constexpr const char* key = "Tidewell.language";
// The language used when none was ever stored.
inline constexpr const char* defaultLanguage = "English";

// The stored language, else "English". Read from the settings file in the configuration folder.
std::string load();
// Writes the language to the settings file at once.
void save(const std::string& language);

}  // namespace tidewell::LanguageSetting
