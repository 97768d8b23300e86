#include "model/i18n.h"

#include "model/app_language.h"
#include "model/i18n_table.h"
#include "platform/layout_text.h"

namespace tidewell::I18n {
namespace {

void addText(LanguageTexts& texts, std::string_view key, std::string_view text) {
    if (!text.empty()) texts.emplace(key, text);
}

Table buildTable() {
    Table built;
    auto& english = built[std::string(rawValue(AppLanguage::english))];
    auto& chinese = built[std::string(rawValue(AppLanguage::simplifiedChinese))];
    auto& spanish = built[std::string(rawValue(AppLanguage::spanish))];
    auto& japanese = built[std::string(rawValue(AppLanguage::japanese))];
    auto& french = built[std::string(rawValue(AppLanguage::french))];
    for (const TableRow& row : tableRows()) {
        addText(english, row.key, row.english);
        addText(chinese, row.key, row.chinese);
        addText(spanish, row.key, row.spanish);
        addText(japanese, row.key, row.japanese);
        addText(french, row.key, row.french);
    }
    return built;
}

const std::string* lookUp(std::string_view key, std::string_view language) {
    const Table& texts = table();
    const auto languageTexts = texts.find(language);
    if (languageTexts == texts.end()) return nullptr;
    const auto text = languageTexts->second.find(key);
    return text == languageTexts->second.end() ? nullptr : &text->second;
}

}  // namespace

const Table& table() {
    static const Table built = buildTable();
    return built;
}

const std::vector<std::string>& keys() {
    static const std::vector<std::string> ordered = [] {
        std::vector<std::string> list;
        for (const TableRow& row : tableRows()) list.emplace_back(row.key);
        return list;
    }();
    return ordered;
}

std::string t(std::string_view key, std::string_view language) {
    if (!platform::textsFollowMacosLayout()) {
        const std::string variant = std::string(key) + std::string(freedesktopVariantSuffix);
        if (lookUp(variant, rawValue(AppLanguage::english))) return textOf(variant, language);
    }
    return textOf(key, language);
}

std::string textOf(std::string_view key, std::string_view language) {
    if (const std::string* text = lookUp(key, language)) return *text;
    if (const std::string* text = lookUp(key, rawValue(AppLanguage::english))) return *text;
    return std::string(key);
}

std::string pick(std::string_view language, std::string_view english, std::string_view chinese) {
    return std::string(language == rawValue(AppLanguage::simplifiedChinese) ? chinese : english);
}

std::string localizedItemCount(std::int64_t n, std::string_view language) {
    // The count's forms per language: one item, then any other number ("{n}" is the number).
    struct CountForms {
        AppLanguage language;
        std::string_view one;
        std::string_view other;
    };
    static constexpr CountForms forms[] = {
        {AppLanguage::english, "1 item", "{n} items"},         {AppLanguage::simplifiedChinese, "1 项", "{n} 项"},
        {AppLanguage::spanish, "1 elemento", "{n} elementos"}, {AppLanguage::japanese, "1 件", "{n} 件"},
        {AppLanguage::french, "1 élément", "{n} éléments"},
    };
    const auto chosen = appLanguageFromRawValue(language).value_or(AppLanguage::english);
    for (const CountForms& form : forms) {
        if (form.language != chosen) continue;
        if (n == 1) return std::string(form.one);
        std::string text(form.other);
        return text.replace(text.find("{n}"), 3, std::to_string(n));
    }
    return std::to_string(n) + " items";
}

}  // namespace tidewell::I18n
