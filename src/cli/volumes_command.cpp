#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "recovery/deleted/source_kind.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell::cli {

namespace {

std::optional<std::string> deletedRecoveryRefusal(const ExternalRecoveryVolume& volume) {
    return DeletedRecovery::unsupportedMountedVolumeMessage(volume.fileSystem, volume.name);
}

nlohmann::json volumeJSON(const ExternalRecoveryVolume& volume) {
    const auto refusal = deletedRecoveryRefusal(volume);
    return {{"deletedRecoveryRefusal", refusal ? nlohmann::json(*refusal) : nullptr},
            {"id", volume.id},
            {"name", volume.name},
            {"mountURL", volume.mountURL.string()},
            {"deviceIdentifier", volume.deviceIdentifier ? nlohmann::json(*volume.deviceIdentifier) : nullptr},
            {"fileSystem", volume.fileSystem},
            {"totalBytes", volume.totalBytes},
            {"availableBytes", volume.availableBytes},
            {"isRemovable", volume.isRemovable},
            {"isReadOnly", volume.isReadOnly},
            {"isManuallySelected", volume.isManuallySelected}};
}

void printVolume(const ExternalRecoveryVolume& volume) {
    std::cout << volume.name << "  " << volume.mountURL.string() << "\n  " << volume.sourceDescription() << "  "
              << volume.availableText() << " available" << (volume.isRemovable ? "  removable" : "")
              << (volume.isReadOnly ? "  read-only" : "") << "\n";
    if (auto refusal = deletedRecoveryRefusal(volume)) std::cout << "  " << *refusal << "\n";
}

int run(const CommandArguments& arguments) {
    std::vector<ExternalRecoveryVolume> volumes;
    if (arguments.value("--path")) {
        const std::string folder = arguments.requiredValue("--path");
        try {
            volumes.push_back(ExternalRecoveryEngine::manuallySelectedVolume(folder));
        } catch (const std::exception& error) {
            reportFileError(folder, error.what());
            return 1;
        }
    } else {
        volumes = ExternalRecoveryEngine::mountedExternalVolumes();
    }
    printListing(arguments, "volumes", volumes, volumeJSON, printVolume, "No external volumes found.");
    return 0;
}

}  // namespace

const Command& volumesCommand() {
    static const Command command{
        .name = "volumes",
        .usageLine = "Usage: tidewell volumes [--path FOLDER] [--json]",
        .summary = "list mounted external volumes with device and file system",
        .details = "  --path FOLDER  describe this folder's volume instead, as a picked recovery source\n",
        .flags = {},
        .valuedOptions = {"--path"},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
