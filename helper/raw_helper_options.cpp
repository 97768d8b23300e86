#include "raw_helper_options.h"

#include <charconv>

#include "platform/helper_protocol.h"

namespace tidewell::helper {

namespace {

std::optional<uid_t> parseUID(const std::string& text) {
    unsigned long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > 0xFFFFFFFEul)
        return std::nullopt;
    return static_cast<uid_t>(value);
}

}  // namespace

std::string rawHelperUsage() {
    return "usage: tidewell-raw-helper [--socket PATH] [--device-dir PATH] [--allowed-uid UID]\n"
           "                           [--mountinfo PATH]\n"
           "       tidewell-raw-helper --install [--allowed-uid UID] [--dry-run]\n";
}

RawHelperOptionsResult parseRawHelperOptions(const std::vector<std::string>& arguments) {
    RawHelperOptions options;
    options.socketPath = std::string(platform::defaultHelperSocketPath);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--install") {
            options.install = true;
        } else if (name == "--dry-run") {
            options.dryRun = true;
        } else if (name == "--help") {
            options.help = true;
        } else if (name == "--socket" || name == "--device-dir" || name == "--allowed-uid" || name == "--mountinfo") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return {std::nullopt, name + " needs a value."};
            const std::string& value = arguments[++i];
            if (name == "--socket") options.socketPath = value;
            if (name == "--device-dir") options.deviceFolder = value;
            if (name == "--mountinfo") options.mountTable = value;
            if (name == "--allowed-uid") {
                options.allowedUID = parseUID(value);
                if (!options.allowedUID) return {std::nullopt, "--allowed-uid needs a user identifier."};
            }
        } else {
            return {std::nullopt, "Unknown option " + name + "."};
        }
    }
    if (options.dryRun && !options.install) return {std::nullopt, "--dry-run only goes with --install."};
    return {options, {}};
}

}  // namespace tidewell::helper
