#pragma once

#include <QString>
#include <span>
#include <string>
#include <string_view>

#include "model/product_module.h"
#include "model/sidebar_item.h"

namespace tidewell {
class AppModel;
}

// Texts the pages show that are not keys of the model's table: the English text written where it
// is used (or handed over by an engine: states, kinds, levels, notes, status lines) is the key,
// and its translations are looked up here. Any text not listed (a file name, a tool's output)
// stays as it is.
namespace tidewell::PageTexts {

// One English text with its text in each of the other four languages.
//
// A row whose English text holds "{1}", "{2}"... is a pattern: each stands for any text, and
// "{#1}", "{#2}"... for a number. The translations use the same holes, in any order, so composed
// lines ("Moving Notes.app to Trash") read in the interface language with their names kept.
struct Row {
    std::string_view english;
    std::string_view chinese;
    std::string_view spanish;
    std::string_view japanese;
    std::string_view french;
};

// Every row, exact texts and patterns alike.
std::span<const Row> rows();

// `english` in `language`, line by line. A line is found as a whole among the rows, else among
// the English texts of the keyed table, else sentence by sentence when it joins several that are
// each found, else it fills a pattern (a hole's text is looked up as a whole text, as a list of
// ", "-separated items, or as a pattern itself, so a kind, a label or an error sentence inside a
// line is translated too), else each of its " · "-separated parts is looked up the same way.
// English, an unknown language and a line found nowhere give the text unchanged.
std::string text(std::string_view english, std::string_view language);

// `text` in the model's current language, as the toolkit's string.
QString shown(const AppModel& model, std::string_view english);

// The title a page shows for its item, and the title of a module's home card, in `language`.
std::string title(SidebarItem item, std::string_view language);
std::string title(ProductModule module, std::string_view language);

}  // namespace tidewell::PageTexts
