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
           "                           [--mountinfo PATH] [--sysfs-root PATH] [--udev-data PATH]\n"
           "                           [--record-file PATH]\n"
           "       tidewell-raw-helper --install [--allowed-uid UID] [--dry-run]\n"
           "\n"
           "Tidewell's privileged, read-only recovery helper. It runs as root and lends\n"
           "raw partitions, read-only, to deleted-file scans of the one user it was\n"
           "installed for (and to root); the socket's peer credentials say who asks.\n"
           "\n"
           "It reads only what the desktop would let that user mount:\n"
           "  - partitions of removable drives: a disk the kernel marks removable, or\n"
           "    one on the USB, MMC/SD, FireWire or Thunderbolt bus;\n"
           "  - loop devices whose backing file the user could read (checked with the\n"
           "    user's own rights).\n"
           "It never reads whole disks, partitions of internal disks, swap space, LVM,\n"
           "RAID, LUKS or BitLocker volumes, device-mapper devices, or a partition\n"
           "mounted at /, /boot, /boot/efi, /usr, /var, /home, /srv, /opt, /tmp or\n"
           "below them (the media folders /media/USER and /run/media/USER excepted).\n"
           "It never writes to any device. It describes a path only when the user\n"
           "could look at it itself. Every device it opens is recorded in the system\n"
           "log once per connection: user, device, label and size.\n";
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
        } else if (name == "--socket" || name == "--device-dir" || name == "--allowed-uid" || name == "--mountinfo" ||
                   name == "--sysfs-root" || name == "--udev-data" || name == "--record-file") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) return {std::nullopt, name + " needs a value."};
            const std::string& value = arguments[++i];
            if (name == "--socket") options.socketPath = value;
            if (name == "--device-dir") options.deviceFolder = value;
            if (name == "--mountinfo") options.mountTable = value;
            if (name == "--sysfs-root") options.sysfsRoot = value;
            if (name == "--udev-data") options.udevDataRoot = value;
            if (name == "--record-file") options.recordFile = value;
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
