// Feeds arbitrary bytes through the repair-history decoder and back out through
// the encoder. Whatever decodes must survive a second round unchanged.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "firstaid/repair_history_coding.h"

#ifndef TIDEWELL_FUZZ_ENTRY
#define TIDEWELL_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int TIDEWELL_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    using namespace tidewell;
    const auto records = decodeRepairHistory(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!records) return 0;
    for (const RepairHistoryRecord& record : *records) (void)record.outputURL();
    const auto again = decodeRepairHistory(encodeRepairHistory(*records));
    if (!again || again->size() != records->size()) __builtin_trap();
    return 0;
}
