#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tidewell {

// The three modules the product is organised in, in picker order.
enum class ProductModule { cleaner, repair, recover };

inline constexpr std::array<ProductModule, 3> allProductModuleCases{ProductModule::cleaner, ProductModule::repair,
                                                                    ProductModule::recover};

// "Clean", "Repair" or "Recover"; also the module's identity.
std::string_view rawValue(ProductModule module);

// The English title, or the Chinese one when `language` is "简体中文".
std::string title(ProductModule module, std::string_view language);

// The symbol name of the module (see symbol_icons.h for how it is drawn).
std::string_view symbol(ProductModule module);

}  // namespace tidewell
