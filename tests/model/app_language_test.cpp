#include "model/app_language.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(AppLanguage, RawValuesRoundTripInPickerOrder) {
    const std::vector<std::string_view> expected{"English", "简体中文", "Español", "日本語", "Français"};
    ASSERT_EQ(allAppLanguageCases.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const AppLanguage language = allAppLanguageCases[index];
        EXPECT_EQ(rawValue(language), expected[index]);
        EXPECT_EQ(id(language), expected[index]);
        EXPECT_EQ(appLanguageFromRawValue(expected[index]), language);
    }
}

TEST(AppLanguage, OtherTextsYieldNoLanguage) {
    for (const std::string_view raw : {"", "english", "Chinese", "Espanol", "Français ", "Deutsch"}) {
        EXPECT_EQ(appLanguageFromRawValue(raw), std::nullopt) << raw;
    }
}

}  // namespace
}  // namespace tidewell
