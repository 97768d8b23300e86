#include "platform/layout_text.h"

#include "platform/layout_kind.h"

namespace tidewell::platform {

bool textsFollowMacosLayout() {
    try {
        return activeLayoutKind() == LayoutKind::macos;
    } catch (const UnknownLayoutError&) {
        return false;
    }
}

std::string layoutText(const std::string& macosText, const std::string& linuxText) {
    return textsFollowMacosLayout() ? macosText : linuxText;
}

}  // namespace tidewell::platform
