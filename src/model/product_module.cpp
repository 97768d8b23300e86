#include "model/product_module.h"

#include "model/i18n.h"

namespace tidewell {

namespace {

struct ModuleFacts {
    std::string_view raw;
    std::string_view chinese;
    std::string_view symbol;
};

const ModuleFacts& facts(ProductModule module) {
    static constexpr ModuleFacts table[] = {
        {"Clean", "清理", "trash"},
        {"Repair", "修复", "cross.case"},
        {"Recover", "恢复", "externaldrive.badge.checkmark"},
    };
    return table[static_cast<std::size_t>(module)];
}

}  // namespace

std::string_view rawValue(ProductModule module) {
    return facts(module).raw;
}

// The raw value is the English title.
std::string title(ProductModule module, std::string_view language) {
    return I18n::pick(language, facts(module).raw, facts(module).chinese);
}

std::string_view symbol(ProductModule module) {
    return facts(module).symbol;
}

}  // namespace tidewell
