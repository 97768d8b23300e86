#include <iostream>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/known_signatures.h"

namespace tidewell::ExFATDeletedRecoveryQAAcceptance {

namespace {

namespace Engine = ExFATDeletedRecoveryEngine;
using acceptance::fail;

constexpr const char* usageLine =
    "Usage: Tidewell --exfat-deleted-recovery-qa --image <exfat-image> --destination <folder> "
    "[--minimum-candidates <count>]";

std::int32_t run(const std::filesystem::path& image, const std::filesystem::path& destination, std::int64_t minimum) {
    auto [candidates, report] = Engine::scanImage(image, Engine::defaultImageSourceName, nullptr,
                                                  acceptance::printingProgress("EXFAT DELETED SCAN "));
    if (static_cast<std::int64_t>(candidates.size()) < minimum)
        return fail("expected at least " + std::to_string(minimum) + " deleted exFAT candidates; found " +
                        std::to_string(candidates.size()) + ".",
                    2);
    auto recoverable = std::find_if(candidates.begin(), candidates.end(),
                                    [](const Engine::Candidate& c) { return c.isContiguousAndFree; });
    if (recoverable == candidates.end())
        return fail("found exFAT records, but none had an unallocated contiguous cluster run.", 3);
    auto written = Engine::exportImage({*recoverable}, image, Engine::defaultImageSourceName, destination, nullptr,
                                       acceptance::printingProgress("EXFAT DELETED EXPORT "));
    if (written.size() != 1) return fail("exFAT candidate was found but not exported.", 4);
    // The exFAT acceptance image is expected to hold a deleted JPEG.
    if (!FATDeletedRecoveryEngine::passesSignatureTest("JPEG", acceptance::readWholeFile(written.front())))
        return fail("exFAT export does not retain the expected JPEG signature.", 5);
    std::cout << "PASS exFAT deleted recovery acceptance: " << candidates.size() << " candidates; " << written.size()
              << " exported; " << report.entriesChecked << " directory entries checked." << std::endl;
    return 0;
}

}  // namespace

std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments) {
    if (!acceptance::hasArgument(option, arguments)) return std::nullopt;
    auto image = acceptance::argumentValue("--image", arguments);
    auto destination = acceptance::argumentValue("--destination", arguments);
    if (!image || !destination) return acceptance::usage(usageLine);
    try {
        return run(*image, *destination, acceptance::countOption("--minimum-candidates", arguments));
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
}

}  // namespace tidewell::ExFATDeletedRecoveryQAAcceptance
