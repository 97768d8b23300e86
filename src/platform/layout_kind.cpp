#include "platform/layout_kind.h"

#include <cstdlib>

namespace tidewell::platform {

std::string_view rawValue(LayoutKind kind) {
    return kind == LayoutKind::macos ? "macos" : "freedesktop";
}

std::optional<LayoutKind> layoutKindFromRawValue(std::string_view raw) {
    for (LayoutKind kind : {LayoutKind::macos, LayoutKind::freedesktop}) {
        if (raw == rawValue(kind)) return kind;
    }
    return std::nullopt;
}

UnknownLayoutError::UnknownLayoutError(const std::string& value)
    : std::runtime_error(std::string(layoutVariable) + " is \"" + value +
                         "\"; it must be \"macos\" or \"freedesktop\".") {}

LayoutKind activeLayoutKind() {
    const char* value = std::getenv(layoutVariable);
    if (value == nullptr || *value == '\0') return LayoutKind::freedesktop;
    if (auto kind = layoutKindFromRawValue(value)) return *kind;
    throw UnknownLayoutError(value);
}

}  // namespace tidewell::platform
