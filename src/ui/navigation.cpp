#include "ui/navigation.h"

#include "model/app_model.h"

namespace tidewell::Navigation {

SidebarItem firstItem(ProductModule module) {
    switch (module) {
        case ProductModule::cleaner:
            return SidebarItem::overview;
        case ProductModule::repair:
            return SidebarItem::repair;
        case ProductModule::recover:
            return SidebarItem::recovery;
    }
    return SidebarItem::home;
}

void showHome(AppModel& model) {
    model.setSelectedProductModule(std::nullopt);
    model.setSelectedSidebarItem(SidebarItem::home);
}

void openModule(AppModel& model, ProductModule module) {
    model.setSelectedProductModule(module);
    model.setSelectedSidebarItem(firstItem(module));
}

void pickModule(AppModel& model, std::optional<ProductModule> module) {
    if (module) openModule(model, *module);
}

}  // namespace tidewell::Navigation
