#pragma once

#include <span>
#include <string_view>

namespace tidewell::I18n {

// One key with its texts. An empty text means the language has no entry for the key.
struct TableRow {
    std::string_view key;
    std::string_view english;
    std::string_view chinese;
    std::string_view spanish;
    std::string_view japanese;
    std::string_view french;
};

// The rows of the keyed table, in list order.
std::span<const TableRow> tableRows();

}  // namespace tidewell::I18n
