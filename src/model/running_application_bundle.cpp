#include "model/running_application_bundle.h"

#include <system_error>

namespace tidewell {

std::filesystem::path runningApplicationBundle() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return applicationBundleHolding(executable);
}

std::filesystem::path applicationBundleHolding(const std::filesystem::path& executable) {
    for (std::filesystem::path folder = executable.parent_path(); folder.has_relative_path();
         folder = folder.parent_path()) {
        if (folder.extension() == ".app") return folder;
    }
    return executable;
}

}  // namespace tidewell
