#include "model/i18n.h"

#include <gtest/gtest.h>

#include <set>

#include "model/app_language.h"

namespace tidewell {
namespace {

constexpr std::size_t fullyTranslatedKeyCount = 111;

const I18n::LanguageTexts& textsOf(AppLanguage language) {
    return I18n::table().at(std::string(rawValue(language)));
}

TEST(I18n, EnglishAndChineseHoldEveryKeyOnce) {
    const auto& keys = I18n::keys();
    EXPECT_EQ(keys.size(), 165u);
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
    EXPECT_EQ(I18n::table().size(), allAppLanguageCases.size());
    for (const AppLanguage language : {AppLanguage::english, AppLanguage::simplifiedChinese}) {
        const auto& texts = textsOf(language);
        EXPECT_EQ(texts.size(), keys.size());
        for (const auto& key : keys) EXPECT_TRUE(texts.contains(key)) << rawValue(language) << " " << key;
    }
}

TEST(I18n, OtherLanguagesHoldTheKeysUpToOk) {
    const auto& keys = I18n::keys();
    ASSERT_EQ(keys.at(fullyTranslatedKeyCount - 1), "ok");
    for (const AppLanguage language : {AppLanguage::spanish, AppLanguage::japanese, AppLanguage::french}) {
        const auto& texts = textsOf(language);
        EXPECT_EQ(texts.size(), fullyTranslatedKeyCount);
        for (std::size_t index = 0; index < keys.size(); ++index) {
            const std::string translated = I18n::t(keys[index], rawValue(language));
            const std::string english = I18n::t(keys[index], "English");
            if (index < fullyTranslatedKeyCount) {
                EXPECT_TRUE(texts.contains(keys[index])) << rawValue(language) << " " << keys[index];
            } else {
                EXPECT_EQ(translated, english) << rawValue(language) << " " << keys[index];
            }
        }
    }
}

TEST(I18n, LooksUpTextsWithEnglishFallback) {
    EXPECT_EQ(I18n::t("partlyCompleted", "English"), "Partly completed");
    EXPECT_EQ(I18n::t("itemWaiting", "English"), "1 item waiting");
    EXPECT_EQ(I18n::t("couldNotComplete", "简体中文"), "无法完成");
    EXPECT_EQ(I18n::t("cancel", "Español"), "Cancelar");
    EXPECT_EQ(I18n::t("cancel", "日本語"), "キャンセル");
    EXPECT_EQ(I18n::t("cancel", "Français"), "Annuler");
    EXPECT_EQ(I18n::t("appCleanupPlan", "Español"), "App Cleanup Plan");
    // A stored language that is none of the five still works: every key shows English.
    EXPECT_EQ(I18n::t("blockedPolicy", "Deutsch"), "Blocked by Tidewell safety policy");
}

TEST(I18n, UnknownKeyIsReturnedUnchanged) {
    for (const AppLanguage language : allAppLanguageCases) {
        EXPECT_EQ(I18n::t("noSuchKey", rawValue(language)), "noSuchKey");
    }
    EXPECT_EQ(I18n::t("", "English"), "");
    EXPECT_EQ(I18n::t("Rescan", "English"), "Rescan");  // keys are case-sensitive
}

TEST(I18n, InlineTwoWayTextsAreChineseOnlyForSimplifiedChinese) {
    EXPECT_EQ(I18n::pick("简体中文", "Safe", "安全"), "安全");
    for (const std::string_view language : {"English", "Español", "日本語", "Français", "", "Deutsch"}) {
        EXPECT_EQ(I18n::pick(language, "Safe", "安全"), "Safe") << language;
    }
}

TEST(I18n, ItemCountPluralisesEverythingButOne) {
    EXPECT_EQ(I18n::localizedItemCount(0, "English"), "0 items");
    EXPECT_EQ(I18n::localizedItemCount(1, "English"), "1 item");
    EXPECT_EQ(I18n::localizedItemCount(2, "日本語"), "2 items");
    EXPECT_EQ(I18n::localizedItemCount(1, "简体中文"), "1 项");
    EXPECT_EQ(I18n::localizedItemCount(12, "简体中文"), "12 项");
}

}  // namespace
}  // namespace tidewell
