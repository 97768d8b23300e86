#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tidewell::platform {

// How apps and their files are laid out on this disk: the macOS layout (".app" bundles and
// the user's Library) or the freedesktop one (desktop entries, XDG folders, packages).
enum class LayoutKind { macos, freedesktop };

inline constexpr const char* layoutVariable = "TIDEWELL_LAYOUT";

// "macos" or "freedesktop".
std::string_view rawValue(LayoutKind kind);
std::optional<LayoutKind> layoutKindFromRawValue(std::string_view raw);

// Thrown for a TIDEWELL_LAYOUT value that names no layout; what() is one line.
class UnknownLayoutError : public std::runtime_error {
public:
    explicit UnknownLayoutError(const std::string& value);
};

// The layout TIDEWELL_LAYOUT names; the freedesktop layout when it is unset or empty.
LayoutKind activeLayoutKind();

}  // namespace tidewell::platform
