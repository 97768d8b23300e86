#include "main/tidewell_app.h"

#include <cstdlib>
#include <iostream>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"
#include "cli/headless_commands.h"
#include "main/application_shell.h"
#include "platform/layout_kind.h"

namespace tidewell::TidewellApp {

namespace {

constexpr const char* usageText =
    "Usage: tidewell [OPTION]\n"
    "       tidewell <command> [options]\n"
    "Without options, starts the Tidewell desktop application.\n"
    "\n"
    "Headless acceptance runs (print a verdict and exit with a status):\n"
    "  tidewell --recovery-qa --source <folder> --destination <folder> [--minimum-candidates <count>]\n"
    "           [--max-export <count>] [--only-name <file>] [--cancel-during-scan]\n"
    "      copy readable files from a folder and check the copies\n"
    "  tidewell --deleted-recovery-qa --image <fat32-partition-image> --destination <folder>\n"
    "           [--minimum-candidates <count>] [--max-export <count>]\n"
    "      rescue deleted files from a FAT32 partition image\n"
    "  tidewell --exfat-deleted-recovery-qa --image <exfat-image> --destination <folder>\n"
    "           [--minimum-candidates <count>]\n"
    "      rescue deleted files from an exFAT partition image\n"
    "  tidewell --live-deleted-recovery-qa --source <mounted-fat32-volume> --destination <different-folder>\n"
    "      rescue deleted files from a mounted FAT32 volume through the read-only helper\n"
    "\n"
    "Statuses: 0 pass, 1 error, 64 usage error, other small numbers a failed check.\n"
    "\n"
    "  --help       show this text\n"
    "  --version    show the version\n";

}  // namespace

const std::vector<AcceptanceRun>& acceptanceRuns() {
    static const std::vector<AcceptanceRun> runs{
        ExFATDeletedRecoveryQAAcceptance::runIfRequested,
        LiveDeletedRecoveryQAAcceptance::runIfRequested,
        DeletedRecoveryQAAcceptance::runIfRequested,
        RecoveryQAAcceptance::runIfRequested,
    };
    return runs;
}

std::optional<std::int32_t> runFirstRequested(const std::vector<std::string>& arguments,
                                              const std::vector<AcceptanceRun>& runs) {
    for (AcceptanceRun run : runs) {
        if (auto status = run(arguments)) return status;
    }
    return std::nullopt;
}

std::optional<std::int32_t> runAcceptanceIfRequested(const std::vector<std::string>& arguments) {
    return runFirstRequested(arguments, acceptanceRuns());
}

std::optional<std::int32_t> runInformationIfRequested(const std::vector<std::string>& arguments) {
    if (acceptance::hasArgument("--help", arguments)) {
        std::cout << usageText << "\n" << cli::commandListText();
        return 0;
    }
    if (acceptance::hasArgument("--version", arguments)) {
        std::cout << "Tidewell " << TIDEWELL_VERSION << "\n";
        return 0;
    }
    return std::nullopt;
}

int main(int argc, char** argv) {
    // Each step reads the argument vector afresh.
    auto arguments = [&] { return std::vector<std::string>(argv, argv + argc); };
    if (auto status = runAcceptanceIfRequested(arguments())) std::exit(*status);
    if (auto status = cli::runCommandIfRequested(arguments())) return *status;
    if (auto status = runInformationIfRequested(arguments())) return *status;
    try {
        platform::activeLayoutKind();
    } catch (const platform::UnknownLayoutError& error) {
        std::cerr << "tidewell: " << error.what() << "\n";
        return 64;
    }
    return ApplicationShell::run(argc, argv);
}

}  // namespace tidewell::TidewellApp
