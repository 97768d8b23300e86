// Feeds arbitrary bytes through the privileged helper's device policy: the
// volume signature check (the bytes as a device's start and end), the udev
// record parser, the bus and system-place tests, and the mount table reader.
// Nothing may crash, hang or leak.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "helper/device_policy.h"
#include "helper/system_mounts.h"

#ifndef TIDEWELL_FUZZ_ENTRY
#define TIDEWELL_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

namespace {

using namespace tidewell::helper;

// The text as a mount table file, read the way the helper reads /proc/self/mountinfo.
void readAsMountTable(std::string_view text) {
    const int file = ::memfd_create("mountinfo", MFD_CLOEXEC);
    if (file < 0) return;
    if (::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size()))
        (void)holdsSystemFileSystem("8:1", "/dev/sdz1", "/proc/self/fd/" + std::to_string(file));
    ::close(file);
}

}  // namespace

extern "C" int TIDEWELL_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    // The same bytes as a device of their own length, and as the start and end of a larger one.
    (void)volumeSignature(bytes, bytes, static_cast<std::int64_t>(size));
    const std::int64_t larger = size >= 8 ? static_cast<std::int64_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) : 0;
    (void)volumeSignature(bytes.first(size / 2), bytes.subspan(size / 2), larger);

    std::string_view text(reinterpret_cast<const char*>(data), size);
    DeviceFacts facts;
    facts.udev = parseUdevProperties(text);
    (void)udevSignature(facts.udev);
    facts.kernelPath = std::string(text.substr(0, text.find('\n')));
    facts.isPartition = size % 2 == 1;
    facts.isLoop = size % 3 == 1;
    (void)isOnHotPluggableBus(facts.kernelPath);
    (void)isSystemMountPoint(facts.kernelPath);
    (void)deviceRefusal(facts);
    readAsMountTable(text);
    return 0;
}
