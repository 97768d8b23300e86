#include "cleanup/launch_agent_info.h"

namespace tidewell {

std::string LaunchAgentInfo::reason() const {
    if (requiresAdmin) return "System-level item. Admin helper is required before Tidewell can change it.";
    if (keepAlive) return "KeepAlive can relaunch this app.";
    if (runAtLoad) return "RunAtLoad starts this app at login.";
    return "LaunchAgent points to this app.";
}

}  // namespace tidewell
