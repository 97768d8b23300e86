// tidewell-raw-helper: the privileged, read-only raw-partition reader.
#include <unistd.h>

#include <iostream>

#include "raw_helper_install.h"
#include "raw_helper_options.h"
#include "raw_helper_server.h"

int main(int argc, char** argv) {
    using namespace tidewell::helper;
    auto parsed = parseRawHelperOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "tidewell-raw-helper: " << parsed.error << "\n" << rawHelperUsage();
        return 64;
    }
    const RawHelperOptions& options = *parsed.options;
    if (options.help) {
        std::cout << rawHelperUsage();
        return 0;
    }
    if (options.install) return installRawHelper(options);
    RawHelperServerSettings settings;
    settings.socketPath = options.socketPath;
    settings.device = {
        options.deviceFolder, options.mountTable, {options.sysfsRoot, options.udevDataRoot}, options.recordFile};
    settings.allowedUID = options.allowedUID.value_or(::getuid());
    return runRawHelperServer(settings);
}
