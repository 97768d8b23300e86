// Feeds arbitrary bytes through everything the app inventory derives from a
// property list: the decoder and its structure guard, the bundle Info values
// and the startup-item fields. Nothing may crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <span>

#include "cleanup/app_scanner.h"
#include "cleanup/startup_items.h"
#include "platform/app_bundle.h"
#include "platform/property_list.h"

#ifndef TIDEWELL_FUZZ_ENTRY
#define TIDEWELL_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int TIDEWELL_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    using namespace tidewell;
    auto value = platform::parsePropertyList(std::span<const std::uint8_t>(data, size));
    if (!value) return 0;
    auto* dictionary = std::get_if<platform::PropertyListValue::Dictionary>(&value->value);
    if (dictionary == nullptr) return 0;

    const platform::AppBundle bundle{"/nonexistent/Fuzz.app", *dictionary};
    (void)bundle.identifier();
    (void)bundle.infoString("CFBundleShortVersionString");
    (void)bundle.executablePath();
    (void)bundle.iconPath();
    (void)AppScanner::displayName(bundle.path, &bundle);

    (void)AppScanner::programPath(*dictionary);
    if (auto item = AppScanner::launchItem("/nonexistent/item.plist", *dictionary, true))
        (void)AppScanner::launchItem(*item, bundle.path, std::nullopt, "com.fuzz", "Fuzz");
    return 0;
}
