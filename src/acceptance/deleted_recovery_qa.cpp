#include <iostream>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

namespace tidewell::DeletedRecoveryQAAcceptance {

namespace {

namespace Engine = FATDeletedRecoveryEngine;
using acceptance::fail;

constexpr const char* usageLine =
    "Usage: Tidewell --deleted-recovery-qa --image <fat32-partition-image> --destination <folder> "
    "[--minimum-candidates <count>] [--max-export <count>]";

std::int32_t verifyExports(const std::vector<Engine::Candidate>& selection,
                           const std::vector<std::filesystem::path>& written) {
    for (std::size_t i = 0; i < selection.size(); ++i) {
        const auto& candidate = selection[i];
        if (!signatureMatches(candidate.signature, acceptance::readWholeFile(written[i])))
            return fail("exported " + candidate.name + " does not preserve the expected " +
                            candidate.signature.value_or("file") + " signature.",
                        5);
    }
    return 0;
}

std::int32_t run(const std::filesystem::path& image, const std::filesystem::path& destination, std::int64_t minimum,
                 std::int64_t maximumExport) {
    auto [candidates, report] = Engine::scanImage(image, Engine::defaultImageSourceName, nullptr,
                                                  acceptance::printingProgress("DELETED SCAN "));
    if (static_cast<std::int64_t>(candidates.size()) < minimum)
        return fail("expected at least " + std::to_string(minimum) + " deleted FAT32 candidates; found " +
                        std::to_string(candidates.size()) + ".",
                    2);
    std::vector<Engine::Candidate> selection;
    for (const auto& candidate : candidates)
        if (candidate.isContiguousAndFree && static_cast<std::int64_t>(selection.size()) < maximumExport)
            selection.push_back(candidate);
    if (selection.empty()) return fail("found deleted records, but none had an unallocated contiguous cluster run.", 3);
    auto written = Engine::exportImage(selection, image, Engine::defaultImageSourceName, destination, nullptr,
                                       acceptance::printingProgress("DELETED EXPORT "));
    if (written.size() != selection.size())
        return fail("exported " + std::to_string(written.size()) + " of " + std::to_string(selection.size()) +
                        " recoverable deleted candidates.",
                    4);
    if (auto status = verifyExports(selection, written); status != 0) return status;
    std::cout << "PASS deleted recovery acceptance: " << candidates.size() << " deleted candidates; " << written.size()
              << " exported; " << report.entriesChecked << " FAT directory entries checked." << std::endl;
    return 0;
}

}  // namespace

std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments) {
    if (!acceptance::hasArgument(option, arguments)) return std::nullopt;
    auto image = acceptance::argumentValue("--image", arguments);
    auto destination = acceptance::argumentValue("--destination", arguments);
    if (!image || !destination) return acceptance::usage(usageLine);
    try {
        return run(*image, *destination, acceptance::countOption("--minimum-candidates", arguments),
                   acceptance::countOption("--max-export", arguments));
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
}

}  // namespace tidewell::DeletedRecoveryQAAcceptance
