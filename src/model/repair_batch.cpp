#include "model/repair_batch.h"

#include <algorithm>

#include "util/text_helpers.h"

namespace tidewell {

std::string RepairBatch::message() const {
    const std::string copies = std::to_string(exported) + " repaired " + (exported == 1 ? "copy" : "copies");
    if (cancelled) return "Batch repair cancelled. Exported " + copies + " before cancellation.";
    std::string text = "Exported " + copies + " to " + folder.string();
    if (failedNames.empty()) return text + ".";
    return text + ". Could not repair: " + text_helpers::joined(failedNames, ", ") + ".";
}

double RepairBatch::startProgress(std::size_t position, std::size_t count) {
    return std::max(0.04, static_cast<double>(position) / static_cast<double>(std::max<std::size_t>(count, 1)));
}

}  // namespace tidewell
