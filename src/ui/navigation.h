#pragma once

#include <optional>

#include "model/product_module.h"
#include "model/sidebar_item.h"

namespace tidewell {

class AppModel;

// Navigation is done only by setting the model's two selections.
namespace Navigation {

// The page a module opens on: overview, repair or recovery.
SidebarItem firstItem(ProductModule module);

// The home button: no module, the home page.
void showHome(AppModel& model);

// A home-page card or the module picker: the module and its first page.
void openModule(AppModel& model, ProductModule module);

// The module picker; picking no module changes nothing.
void pickModule(AppModel& model, std::optional<ProductModule> module);

}  // namespace Navigation
}  // namespace tidewell
