#include "cli/cleanup_run_output.h"

#include <chrono>
#include <iostream>

#include "cleanup/cleanup_report.h"
#include "cleanup/report_store.h"
#include "cli/command_output.h"
#include "util/byte_size_text.h"

namespace tidewell::cli {

int batchStatus(const CleanupBatch& batch) {
    if (batch.moved.empty()) return 1;
    return batch.failed.empty() ? 0 : 2;
}

nlohmann::json batchJSON(const CleanupBatch& batch, const std::string& summary) {
    return {{"summary", summary},
            {"done", batch.moved},
            {"failed", batch.failed},
            {"recoveredBytes", batch.recoveredBytes},
            {"status", batchStatus(batch)}};
}

void printBatch(const CleanupBatch& batch, const std::string& summary) {
    std::cout << summary << "\n";
    for (const std::string& failure : batch.failed) std::cout << "Failed: " << failure << "\n";
    std::cout << "Recovered: " << tidewellString(batch.recoveredBytes) << "\n";
}

void recordReport(const std::string& name, const CleanupBatch& batch) {
    std::vector<CleanupReport> reports = ReportStore::load();
    reports.insert(reports.begin(), CleanupReport::make(std::chrono::system_clock::now(), name, batch.moved,
                                                        batch.failed, batch.recoveredBytes));
    ReportStore::save(reports);
}

RemovalStatus statusPrinter() {
    return [](const std::string& step) { std::cerr << "tidewell: " << step << "\n" << std::flush; };
}

int finishTrashBatch(const CommandArguments& arguments, const std::string& reportName,
                     const std::optional<CleanupBatch>& batch, const std::string& summary,
                     const std::string& nothingLine) {
    if (!batch) {
        if (arguments.has("--json"))
            printJSON({{"report", nullptr}, {"errors", nlohmann::json::array({nothingLine})}});
        else
            std::cout << nothingLine << "\n";
        return 1;
    }
    recordReport(reportName, *batch);
    if (arguments.has("--json"))
        printJSON({{"report", batchJSON(*batch, summary)}});
    else
        printBatch(*batch, summary);
    return batchStatus(*batch);
}

}  // namespace tidewell::cli
