#include "model/i18n.h"

#include <gtest/gtest.h>

#include <set>

#include "model/app_language.h"
#include "platform/layout_kind.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

const I18n::LanguageTexts& textsOf(AppLanguage language) {
    return I18n::table().at(std::string(rawValue(language)));
}

TEST(I18n, EveryLanguageHoldsEveryKeyOnce) {
    const auto& keys = I18n::keys();
    EXPECT_EQ(keys.size(), 166u);
    EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
    EXPECT_EQ(I18n::table().size(), allAppLanguageCases.size());
    for (const AppLanguage language : allAppLanguageCases) {
        const auto& texts = textsOf(language);
        EXPECT_EQ(texts.size(), keys.size()) << rawValue(language);
        for (const auto& key : keys) EXPECT_TRUE(texts.contains(key)) << rawValue(language) << " " << key;
    }
}

TEST(I18n, ChineseAndJapaneseTranslateEveryKey) {
    // Both are written in their own script, so a text equal to the English one was never translated.
    for (const AppLanguage language : {AppLanguage::simplifiedChinese, AppLanguage::japanese})
        for (const auto& key : I18n::keys()) {
            if (language == AppLanguage::japanese && key == "ok") continue;  // Japanese buttons say "OK" too
            EXPECT_NE(I18n::t(key, rawValue(language)), I18n::t(key, "English")) << rawValue(language) << " " << key;
        }
}

TEST(I18n, LooksUpTextsWithEnglishFallback) {
    EXPECT_EQ(I18n::t("partlyCompleted", "English"), "Partly completed");
    EXPECT_EQ(I18n::t("itemWaiting", "English"), "1 item waiting");
    EXPECT_EQ(I18n::t("couldNotComplete", "简体中文"), "无法完成");
    EXPECT_EQ(I18n::t("cancel", "Español"), "Cancelar");
    EXPECT_EQ(I18n::t("cancel", "日本語"), "キャンセル");
    EXPECT_EQ(I18n::t("cancel", "Français"), "Annuler");
    EXPECT_EQ(I18n::t("appCleanupPlan", "Español"), "Plan de limpieza de la app");
    EXPECT_EQ(I18n::t("moveSelectedToTrash", "日本語"), "選択した項目をゴミ箱に移動");
    EXPECT_EQ(I18n::t("partlyCompleted", "Français"), "Terminé en partie");
    // A stored language that is none of the five still works: every key shows English.
    EXPECT_EQ(I18n::t("blockedPolicy", "Deutsch"), "Blocked by Tidewell safety policy");
}

TEST(I18n, EveryFreedesktopVariantHasItsKeyAndAllFiveLanguages) {
    const auto& keys = I18n::keys();
    const std::set<std::string> known(keys.begin(), keys.end());
    int variants = 0;
    for (const auto& key : keys) {
        if (!key.ends_with(I18n::freedesktopVariantSuffix)) continue;
        ++variants;
        EXPECT_TRUE(known.contains(key.substr(0, key.size() - I18n::freedesktopVariantSuffix.size()))) << key;
        const std::string english = I18n::textOf(key, "English");
        for (const AppLanguage language : allAppLanguageCases) {
            const auto text = textsOf(language).find(key);
            ASSERT_NE(text, textsOf(language).end()) << rawValue(language) << " " << key;
            if (language != AppLanguage::english) {
                EXPECT_NE(text->second, english) << rawValue(language) << " " << key;
            }
        }
    }
    EXPECT_GT(variants, 0);
}

TEST(I18n, TheFreedesktopLayoutShowsTheVariantsAndNamesNoMacOSPart) {
    {
        testing::ScopedEnvironment macos{platform::layoutVariable, "macos"};
        EXPECT_EQ(I18n::t("leftoverPermissionText", "Français"),
                  "La détection des résidus examine les conteneurs d'apps et les dossiers de scripts. macOS peut vous "
                  "demander si Tidewell peut accéder aux données d'autres apps.");
    }
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    EXPECT_EQ(I18n::t("leftoverPermissionText", "English"),
              "Leftover detection checks the folders apps keep data in (~/.cache, ~/.config, ~/.local/share) and "
              "script folders.");
    EXPECT_EQ(I18n::t("leftoverPermissionText", "Français"),
              I18n::textOf("leftoverPermissionText.freedesktop", "Français"));
    for (const AppLanguage language : allAppLanguageCases) {
        for (const auto& key : I18n::keys()) {
            for (const char* part : {"macOS", "PDFKit", "Finder", "Login Items", "~/Library"}) {
                EXPECT_EQ(I18n::t(key, rawValue(language)).find(part), std::string::npos)
                    << rawValue(language) << " " << key << " names " << part;
            }
        }
    }
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
    EXPECT_EQ(I18n::localizedItemCount(2, "English"), "2 items");
    EXPECT_EQ(I18n::localizedItemCount(1, "简体中文"), "1 项");
    EXPECT_EQ(I18n::localizedItemCount(12, "简体中文"), "12 项");
    EXPECT_EQ(I18n::localizedItemCount(1, "Español"), "1 elemento");
    EXPECT_EQ(I18n::localizedItemCount(0, "Español"), "0 elementos");
    EXPECT_EQ(I18n::localizedItemCount(2, "日本語"), "2 件");
    EXPECT_EQ(I18n::localizedItemCount(1, "Français"), "1 élément");
    EXPECT_EQ(I18n::localizedItemCount(40, "Français"), "40 éléments");
    // A stored language that is none of the five counts in English.
    EXPECT_EQ(I18n::localizedItemCount(3, "Deutsch"), "3 items");
}

}  // namespace
}  // namespace tidewell
