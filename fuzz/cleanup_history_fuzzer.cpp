// Feeds arbitrary bytes through the cleanup-history decoder and back out
// through both report encodings. Nothing may crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cleanup/cleanup_report_coding.h"
#include "cleanup/report_store.h"

#ifndef TIDEWELL_FUZZ_ENTRY
#define TIDEWELL_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int TIDEWELL_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    using namespace tidewell;
    const auto reports = ReportStore::decodeHistory(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const CleanupReport& report : reports) {
        (void)prettyJSON(encodeCleanupReport(report, ReportDateEncoding::secondsSinceReferenceDate));
        (void)prettyJSON(encodeCleanupReport(report, ReportDateEncoding::iso8601));
        (void)report.statusText();
        (void)report.matchesSearch("a b");
    }
    return 0;
}
