#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "acceptance/recovery_qa_digest.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/unicode_text.h"

namespace tidewell::RecoveryQAAcceptance {

namespace {

namespace fs = std::filesystem;
using Engine = ExternalRecoveryEngine;
using RecoveryError = Engine::RecoveryError;

constexpr const char* usageLine =
    "Usage: Tidewell --recovery-qa --source <folder> --destination <folder> [--minimum-candidates <count>] "
    "[--max-export <count>] [--only-name <file>] [--cancel-during-scan]";

struct Options {
    fs::path source;
    fs::path destination;
    std::int64_t minimumCandidates = 1;
    std::int64_t maximumExport = 20;
    std::optional<std::string> onlyName;
    bool cancelDuringScan = false;
};

fs::path directoryURL(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    return error ? fs::path(path) : absolute;
}

using acceptance::fail;
using Candidates = std::vector<RecoveryCandidate>;

// The export onto the source itself must be refused. None when it was.
std::optional<int> checkSourceGuard(const Candidates& candidates, const ExternalRecoveryVolume& source) {
    Candidates first(candidates.begin(), candidates.begin() + (candidates.empty() ? 0 : 1));
    try {
        Engine::exportCandidates(first, source, source.mountURL);
    } catch (const RecoveryError& error) {
        if (error.errorCase() != RecoveryError::Case::unsafeDestination) throw;
        std::cout << "PASS source-destination guard" << std::endl;
        return std::nullopt;
    }
    return fail("export to the source folder was not blocked.", 3);
}

Candidates selection(const Candidates& candidates, const Options& options) {
    Candidates selected;
    for (const auto& candidate : candidates) {
        if (static_cast<std::int64_t>(selected.size()) >= options.maximumExport) break;
        if (!options.onlyName || compareIgnoringCase(candidate.name(), *options.onlyName) == 0)
            selected.push_back(candidate);
    }
    return selected;
}

std::optional<int> checkDigests(const Candidates& selected, const std::vector<fs::path>& exported) {
    for (std::size_t i = 0; i < selected.size(); ++i)
        if (digest(selected[i].sourceURL) != digest(exported[i]))
            return fail("checksum mismatch for " + selected[i].relativePath + ".", 6);
    return std::nullopt;
}

int runChecks(const Options& options) {
    auto token = options.cancelDuringScan ? std::make_shared<RecoveryCancellationToken>() : nullptr;
    ExternalRecoveryVolume source = Engine::manuallySelectedVolume(options.source);
    auto printScanProgress = acceptance::printingProgress("SCAN ");
    auto [candidates, report] = Engine::scan(source, token, [&](double fraction, const std::string& text) {
        printScanProgress(fraction, text);
        if (token && fraction > 0) token->cancel();
    });
    if (options.cancelDuringScan) return fail("scan completed after cancellation was requested.", 7);
    if (static_cast<std::int64_t>(candidates.size()) < options.minimumCandidates)
        return fail("expected at least " + std::to_string(options.minimumCandidates) + " readable candidates; found " +
                        std::to_string(candidates.size()) + ".",
                    2);
    if (auto status = checkSourceGuard(candidates, source)) return *status;

    Candidates selected = selection(candidates, options);
    if (selected.empty()) return fail("no readable candidate matched the requested export selection.", 4);
    auto exported = Engine::exportCandidates(selected, source, options.destination, nullptr,
                                             acceptance::printingProgress("EXPORT "));
    if (exported.size() != selected.size())
        return fail("exported " + std::to_string(exported.size()) + " of " + std::to_string(selected.size()) +
                        " selected candidates.",
                    5);
    if (auto status = checkDigests(selected, exported)) return *status;

    std::cout << "PASS recovery acceptance: " << candidates.size() << " files scanned; " << selected.size()
              << " files exported and checksum verified; " << report.filesVisited << " items visited." << std::endl;
    return 0;
}

}  // namespace

std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments) {
    if (!acceptance::hasArgument(option, arguments)) return std::nullopt;
    auto source = acceptance::argumentValue("--source", arguments);
    auto destination = acceptance::argumentValue("--destination", arguments);
    if (!source || !destination) return acceptance::usage(usageLine);
    Options options;
    options.source = directoryURL(*source);
    options.destination = directoryURL(*destination);
    options.minimumCandidates = acceptance::integerArgument("--minimum-candidates", arguments).value_or(1);
    options.maximumExport =
        std::max<std::int64_t>(1, acceptance::integerArgument("--max-export", arguments).value_or(20));
    options.onlyName = acceptance::argumentValue("--only-name", arguments);
    options.cancelDuringScan = acceptance::hasArgument("--cancel-during-scan", arguments);

    try {
        return runChecks(options);
    } catch (const RecoveryError& error) {
        if (options.cancelDuringScan && error.errorCase() == RecoveryError::Case::cancelled) {
            std::cout << "PASS scan cancellation" << std::endl;
            return 0;
        }
        return fail(error.what(), 1);
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
}

}  // namespace tidewell::RecoveryQAAcceptance
