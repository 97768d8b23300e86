// Stand-ins for foundation services whose implementations have not landed yet.
// Removed as soon as they arrive.
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "platform/folders.h"
#include "util/uuid.h"

namespace tidewell {

std::string makeUUIDString() {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) text += '-';
        text += digits[engine() % 16];
    }
    return text;
}

namespace platform {

std::filesystem::path temporaryDirectory() {
    const char* value = std::getenv("TMPDIR");
    return value && *value ? value : "/tmp";
}

std::optional<std::filesystem::path> resourceDirectory() {
    if (const char* value = std::getenv("TIDEWELL_RESOURCE_DIR")) return std::filesystem::path(value);
    return std::nullopt;
}

}  // namespace platform

}  // namespace tidewell
