#include "ui/product_module.h"

#include "ui/i18n.h"

namespace tidewell {

std::string_view rawValue(ProductModule module) {
    switch (module) {
        case ProductModule::cleaner:
            return "Clean";
        case ProductModule::repair:
            return "Repair";
        case ProductModule::recover:
            return "Recover";
    }
    return "Clean";
}

std::string title(ProductModule module, std::string_view language) {
    switch (module) {
        case ProductModule::cleaner:
            return I18n::pick(language, "Clean", "清理");
        case ProductModule::repair:
            return I18n::pick(language, "Repair", "修复");
        case ProductModule::recover:
            return I18n::pick(language, "Recover", "恢复");
    }
    return {};
}

std::string_view symbol(ProductModule module) {
    switch (module) {
        case ProductModule::cleaner:
            return "trash";
        case ProductModule::repair:
            return "cross.case";
        case ProductModule::recover:
            return "externaldrive.badge.checkmark";
    }
    return "trash";
}

}  // namespace tidewell
