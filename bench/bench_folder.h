#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/folders.h"
#include "util/uuid.h"

namespace tidewell::bench {

// Runs body in a fresh folder "<prefix>-<UUID>" below the folder given as the first argument (the
// temporary folder without one) and removes it afterwards. Returns the process status.
inline int runInFreshFolder(int argc, char** argv, const std::string& prefix,
                            const std::function<void(const std::filesystem::path&)>& body) {
    const std::filesystem::path base = argc > 1 ? std::filesystem::path(argv[1]) : platform::temporaryDirectory();
    const std::filesystem::path folder = base / (prefix + "-" + makeUUIDString());
    int status = 0;
    try {
        std::filesystem::create_directories(folder);
        body(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}

}  // namespace tidewell::bench
