#include "ui/page_texts.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "model/app_language.h"
#include "model/app_model.h"
#include "model/i18n.h"
#include "ui/qt_text.h"

namespace tidewell::PageTexts {

namespace {

constexpr std::string_view partSeparator = " \u00B7 ";
constexpr std::string_view listSeparator = ", ";
constexpr std::string_view sentenceEnd = ". ";

std::string_view column(const Row& row, AppLanguage language) {
    switch (language) {
        case AppLanguage::simplifiedChinese:
            return row.chinese;
        case AppLanguage::spanish:
            return row.spanish;
        case AppLanguage::japanese:
            return row.japanese;
        case AppLanguage::french:
            return row.french;
        case AppLanguage::english:
            break;
    }
    return row.english;
}

// A hole of a pattern: "{3}" or "{#3}" at `position`, with its number and the length it spans.
struct Hole {
    std::size_t position = 0;
    std::size_t length = 0;
    int number = 0;
    bool numeric = false;
};

std::optional<Hole> holeAt(std::string_view text, std::size_t position) {
    if (position >= text.size() || text[position] != '{') return std::nullopt;
    std::size_t cursor = position + 1;
    const bool numeric = cursor < text.size() && text[cursor] == '#';
    if (numeric) ++cursor;
    if (cursor + 1 >= text.size() || text[cursor] < '1' || text[cursor] > '9' || text[cursor + 1] != '}')
        return std::nullopt;
    return Hole{position, cursor + 2 - position, text[cursor] - '0', numeric};
}

std::vector<Hole> holesOf(std::string_view text) {
    std::vector<Hole> holes;
    for (std::size_t position = 0; position < text.size(); ++position)
        if (auto hole = holeAt(text, position)) {
            holes.push_back(*hole);
            position += hole->length - 1;
        }
    return holes;
}

// A row whose English text has holes, as an anchored expression with one group per hole.
struct Pattern {
    const Row* row = nullptr;
    QRegularExpression expression;
    std::vector<int> holeNumbers;  // per group, in order
    std::string_view prefix;       // the literal text before the first hole
    std::string_view suffix;       // the literal text after the last hole
    std::size_t literalLength = 0;
};

Pattern patternOf(const Row& row) {
    Pattern pattern{.row = &row};
    const std::vector<Hole> holes = holesOf(row.english);
    QString expression;
    std::size_t literalStart = 0;
    for (const Hole& hole : holes) {
        const std::string_view literal = row.english.substr(literalStart, hole.position - literalStart);
        expression += QRegularExpression::escape(toQString(literal));
        expression += hole.numeric ? QStringLiteral("(\\d[\\d.,]*)") : QStringLiteral("(.+?)");
        pattern.holeNumbers.push_back(hole.number);
        pattern.literalLength += literal.size();
        literalStart = hole.position + hole.length;
    }
    const std::string_view tail = row.english.substr(literalStart);
    expression += QRegularExpression::escape(toQString(tail));
    pattern.literalLength += tail.size();
    pattern.prefix = row.english.substr(0, holes.front().position);
    pattern.suffix = tail;
    pattern.expression = QRegularExpression(QRegularExpression::anchoredPattern(expression),
                                            QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

struct Index {
    std::map<std::string_view, const Row*, std::less<>> exact;
    // The English text of every key of the model's table, to its key (the first key wins).
    std::map<std::string, std::string, std::less<>> keyed;
    // Longest literal text first, so "Moving {#1} safe cleanup items to Trash" is tried before
    // "Moving {1} to Trash".
    std::vector<Pattern> patterns;
};

const Index& index() {
    static const Index built = [] {
        Index made;
        for (const Row& row : rows()) {
            if (holesOf(row.english).empty())
                made.exact.emplace(row.english, &row);
            else
                made.patterns.push_back(patternOf(row));
        }
        const std::string english(rawValue(AppLanguage::english));
        for (const std::string& key : I18n::keys()) made.keyed.emplace(I18n::textOf(key, english), key);
        std::stable_sort(made.patterns.begin(), made.patterns.end(), [](const Pattern& left, const Pattern& right) {
            return left.literalLength > right.literalLength;
        });
        return made;
    }();
    return built;
}

std::optional<std::string> wholeText(std::string_view english, AppLanguage language) {
    const Index& texts = index();
    if (const auto row = texts.exact.find(english); row != texts.exact.end())
        return std::string(column(*row->second, language));
    if (const auto key = texts.keyed.find(english); key != texts.keyed.end())
        return I18n::textOf(key->second, rawValue(language));
    return std::nullopt;
}

// `translation` with each hole replaced by the text the English line had there.
std::string filled(std::string_view translation, const std::map<int, std::string>& holeTexts) {
    std::string result;
    for (std::size_t position = 0; position < translation.size();) {
        const auto hole = holeAt(translation, position);
        const auto text = hole ? holeTexts.find(hole->number) : holeTexts.end();
        if (text == holeTexts.end()) {
            result += translation[position++];
            continue;
        }
        result += text->second;
        position += hole->length;
    }
    return result;
}

std::optional<std::string> patternText(std::string_view line, AppLanguage language);

// `text` cut at every `separator`, each piece passed through `translate`, joined again.
template <class Translate>
std::string eachPiece(std::string_view text, std::string_view separator, Translate translate) {
    std::string result;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        result += translate(text.substr(start, end - start));
        if (end == text.size()) return result;
        result += separator;
        start = end + separator.size();
    }
}

std::optional<std::string> wholeOrPatternText(std::string_view text, AppLanguage language) {
    if (auto whole = wholeText(text, language)) return whole;
    return patternText(text, language);
}

// A list of names ("Cache, Icon gimp.png") item by item, when any item is a listed text.
std::optional<std::string> listText(std::string_view text, AppLanguage language) {
    if (text.find(listSeparator) == std::string_view::npos) return std::nullopt;
    bool found = false;
    std::string result = eachPiece(text, listSeparator, [&](std::string_view item) {
        auto translated = wholeOrPatternText(item, language);
        found = found || translated.has_value();
        return translated.value_or(std::string(item));
    });
    return found ? std::optional(std::move(result)) : std::nullopt;
}

// What a hole of a pattern held: a listed text, a list, a line that fills a pattern itself
// (an error sentence inside an outcome), else a name that stays.
std::string holeText(const std::string& text, AppLanguage language) {
    if (auto whole = wholeText(text, language)) return *whole;
    if (auto list = listText(text, language)) return *list;
    return patternText(text, language).value_or(text);
}

std::optional<std::string> patternText(std::string_view line, AppLanguage language) {
    std::optional<QString> shown;
    for (const Pattern& pattern : index().patterns) {
        if (!line.starts_with(pattern.prefix) || !line.ends_with(pattern.suffix)) continue;
        if (!shown) shown = toQString(line);
        const QRegularExpressionMatch match = pattern.expression.match(*shown);
        if (!match.hasMatch()) continue;
        std::map<int, std::string> holeTexts;
        for (std::size_t group = 0; group < pattern.holeNumbers.size(); ++group) {
            const std::string captured = match.captured(int(group) + 1).toStdString();
            holeTexts[pattern.holeNumbers[group]] = holeText(captured, language);
        }
        return filled(column(*pattern.row, language), holeTexts);
    }
    return std::nullopt;
}

// A part of several sentences ("Removed by apt: gimp. Moved to Trash: Cache.") sentence by
// sentence, when each one is a listed text or fills a pattern: joined sentences are not one row,
// and a pattern read over all of them would take the later sentences into its last hole.
std::optional<std::string> sentencesText(std::string_view part, AppLanguage language) {
    if (part.find(sentenceEnd) == std::string_view::npos) return std::nullopt;
    std::vector<std::string> sentences;
    for (std::size_t start = 0;;) {
        const std::size_t stop = part.find(sentenceEnd, start);
        const std::size_t end = stop == std::string_view::npos ? part.size() : stop + 1;
        auto sentence = wholeOrPatternText(part.substr(start, end - start), language);
        if (!sentence) return std::nullopt;
        sentences.push_back(std::move(*sentence));
        if (stop == std::string_view::npos) break;
        start = stop + sentenceEnd.size();
    }
    // Chinese and Japanese sentences end in a full stop of their own and need no space.
    const bool spaced = language != AppLanguage::simplifiedChinese && language != AppLanguage::japanese;
    std::string text;
    for (const std::string& sentence : sentences) text += (text.empty() || !spaced ? "" : " ") + sentence;
    return text;
}

// The part's text from a whole row, its sentences or a pattern, else the part itself.
std::string translatedPart(std::string_view part, AppLanguage language) {
    if (auto whole = wholeText(part, language)) return *whole;
    if (auto sentences = sentencesText(part, language)) return *sentences;
    return patternText(part, language).value_or(std::string(part));
}

// A line of parts is translated part by part, so that no pattern's hole swallows a separator.
std::string translatedLine(std::string_view line, AppLanguage language) {
    if (line.find(partSeparator) == std::string_view::npos) return translatedPart(line, language);
    if (auto whole = wholeText(line, language)) return *whole;
    return eachPiece(line, partSeparator, [&](std::string_view part) { return translatedPart(part, language); });
}

}  // namespace

std::string text(std::string_view english, std::string_view language) {
    const auto chosen = appLanguageFromRawValue(language);
    if (!chosen || *chosen == AppLanguage::english) return std::string(english);
    return eachPiece(english, "\n", [&](std::string_view line) { return translatedLine(line, *chosen); });
}

QString shown(const AppModel& model, std::string_view english) {
    return toQString(text(english, model.language()));
}

std::string title(SidebarItem item, std::string_view language) {
    return text(tidewell::title(item, rawValue(AppLanguage::english)), language);
}

std::string title(ProductModule module, std::string_view language) {
    return text(tidewell::title(module, rawValue(AppLanguage::english)), language);
}

}  // namespace tidewell::PageTexts
