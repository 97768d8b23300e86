#include "cleanup/freedesktop/snap/snap_removal.h"

#include <stdexcept>
#include <string_view>

#include "process/command_runner.h"
#include "util/text_helpers.h"

namespace tidewell::Freedesktop {

namespace {

// snapd's names: lowercase letters, digits and '-'; a leading '-' would read as an option.
bool isSnapName(std::string_view name) {
    return !name.empty() && name.front() != '-' &&
           name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string_view::npos;
}

}  // namespace

void removeSnap(const std::string& name) {
    if (!isSnapName(name))
        throw std::runtime_error("\"" + name + "\" is not a snap name, so Tidewell does not ask snapd to remove it.");
    const auto snap = CommandRunner::programOnPath("snap");
    if (!snap) throw std::runtime_error("snap is not installed, so Tidewell cannot ask snapd to remove " + name + ".");
    const CommandOutput output = CommandRunner::run(*snap, {"remove", name});
    if (output.status == 0) return;
    // snap explains a refusal on standard error ("error: cannot remove ...").
    std::string message = text_helpers::trimmed(output.stderrText);
    if (message.empty()) message = output.combined();
    throw std::runtime_error(message.empty() ? "snap could not remove " + name + "." : message);
}

}  // namespace tidewell::Freedesktop
