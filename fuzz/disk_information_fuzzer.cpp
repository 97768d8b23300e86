// Feeds arbitrary text through the disk-information parsers: the bytes up to
// the first NUL are read as a mountinfo file, the rest as an lsblk answer about
// every device the mount table names. Nothing may crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/lsblk_answer.h"
#include "platform/mount_info.h"

#ifndef TIDEWELL_FUZZ_ENTRY
#define TIDEWELL_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int TIDEWELL_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    using namespace tidewell::platform;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t split = text.find('\0');
    std::string_view mountText = text.substr(0, split);
    std::string_view answer = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);

    auto entries = parseMountInfo(mountText);
    for (const auto& entry : entries) {
        (void)mountContaining(entries, entry.mountPoint + "/x");
        (void)entry.isReadOnlyMount();
        std::string device(entry.source.substr(entry.source.rfind('/') + 1));
        LsblkContext context{device, entry.mountPoint, entry.isReadOnlyMount(), entry.fileSystemType};
        (void)diskInfoFromLsblkAnswer(answer, context);
        (void)deviceTreePath(entry.root, {device, "block"});
    }
    (void)diskInfoFromLsblkAnswer(answer, LsblkContext{"sdb1", "/sys/devices/x/block/sdb/sdb1", false, ""});
    return 0;
}
