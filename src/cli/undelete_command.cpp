#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "cli/recovery_output.h"
#include "firstaid/file_first_aid_engine.h"
#include "recovery/deleted/deep_scan.h"
#include "recovery/deleted/deleted_export.h"
#include "recovery/deleted/deleted_export_report.h"
#include "recovery/deleted/deleted_source.h"
#include "recovery/deleted/privileged_device_read.h"
#include "recovery/deleted/privileged_device_reader.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/byte_size_text.h"
#include "util/date_codings.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;
using DeletedRecovery::Candidate;
using DeletedRecovery::DiskImage;

// The name a candidate is listed and chosen by. The one place to prefer a
// long file name once candidates carry one.
const std::string& shownName(const Candidate& candidate) {
    return candidate.displayName();
}

// Why export would skip the candidate; none when its run is wholly free.
std::optional<std::string> whyNotRecoverable(const Candidate& candidate) {
    if (candidate.isContiguousAndFree) return std::nullopt;
    const auto& texts = candidate.sourceFormat == "exFAT" ? FATDeletedRecoveryEngine::exfatExportTexts()
                                                          : FATDeletedRecoveryEngine::fat32ExportTexts();
    std::string reason = texts.skipReason.substr(2);  // after ": "
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    return reason;
}

nlohmann::json candidateJSON(const Candidate& candidate) {
    auto why = whyNotRecoverable(candidate);
    return {{"id", candidate.id},
            {"name", shownName(candidate)},
            {"entryName", candidate.name},
            {"longName", candidate.longName ? nlohmann::json(*candidate.longName) : nlohmann::json(nullptr)},
            {"sizeBytes", candidate.sizeBytes},
            {"confidence", DeletedRecovery::rawValue(candidate.confidence)},
            {"evidence", candidate.evidenceText()},
            {"recoverable", !why},
            {"notRecoverableBecause", why ? nlohmann::json(*why) : nullptr},
            {"directory", candidate.directoryLocation},
            {"startCluster", candidate.startCluster},
            {"sourceFormat", candidate.sourceFormat},
            {"fromFoundFolder", candidate.fromFoundFolder},
            {"modified", candidate.modified ? nlohmann::json(iso8601String(*candidate.modified)) : nullptr}};
}

void printCandidate(const Candidate& candidate) {
    auto why = whyNotRecoverable(candidate);
    std::cout << shownName(candidate) << "  " << tidewellString(candidate.sizeBytes) << "  "
              << DeletedRecovery::rawValue(candidate.confidence) << "  " << candidate.evidenceText() << "\n  "
              << (why ? "not recoverable: " + *why : std::string("recoverable")) << "\n";
}

// The deep scan's list: each found folder's path once, its files beneath it.
void printGroupedByFolder(const std::vector<Candidate>& candidates) {
    std::vector<const Candidate*> ordered;
    for (const Candidate& candidate : candidates) ordered.push_back(&candidate);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Candidate* a, const Candidate* b) {
        return a->directoryLocation < b->directoryLocation;
    });
    const std::string* folder = nullptr;
    for (const Candidate* candidate : ordered) {
        if (!folder || *folder != candidate->directoryLocation) {
            folder = &candidate->directoryLocation;
            std::cout << (folder->empty() ? std::string("Carved files") : *folder) << "/\n";
        }
        std::cout << "  ";
        printCandidate(*candidate);
    }
}

nlohmann::json partitionJSON(const PartitionTable::Partition& partition) {
    const char* format = partition.format == PartitionTable::VolumeFormat::fat32   ? "FAT32"
                         : partition.format == PartitionTable::VolumeFormat::exfat ? "exFAT"
                                                                                   : nullptr;
    return {{"number", partition.number},          {"startOffset", partition.startOffset},
            {"sizeBytes", partition.sizeBytes},    {"type", partition.type},
            {"typeName", partition.typeName},      {"fileSystem", format ? nlohmann::json(format) : nullptr},
            {"volumeLabel", partition.volumeLabel}};
}

// The source as bytes, with the name its export folder and messages use.
struct Source {
    std::shared_ptr<const RawReader> reader;
    std::string name;
    std::optional<ExternalRecoveryVolume> volume;  // the mounted volume it is read from, if any
};

// A disk image whose partition the command line did not choose.
struct PartitionChoiceNeeded {
    DiskImage image;
};

std::optional<ExternalRecoveryVolume> mountedVolumeOnDevice(const std::string& identifier) {
    for (const ExternalRecoveryVolume& volume : ExternalRecoveryEngine::mountedExternalVolumes())
        if (volume.deviceIdentifier == identifier) return volume;
    return std::nullopt;
}

Source deviceSource(const std::string& identifier, std::string name, std::optional<ExternalRecoveryVolume> volume) {
    // Any administrator prompt shows before reading starts, as in the application.
    PrivilegedDeviceRead::prepareAdministratorAuthorization();
    return {std::make_shared<PrivilegedDeviceReader>(identifier), std::move(name), std::move(volume)};
}

Source resolveSource(const fs::path& operand, std::optional<int> partition) {
    struct stat status {};
    if (::stat(operand.c_str(), &status) != 0)
        throw DeletedRecovery::RecoveryError::unavailableSource("Nothing exists at " + operand.string() + ".");
    if (S_ISDIR(status.st_mode) || S_ISBLK(status.st_mode)) {
        if (partition) throw UsageError("--partition applies to disk image files only");
        if (S_ISBLK(status.st_mode)) {
            const std::string identifier = operand.filename().string();
            return deviceSource(identifier, identifier, mountedVolumeOnDevice(identifier));
        }
        ExternalRecoveryVolume volume = ExternalRecoveryEngine::manuallySelectedVolume(operand);
        if (!volume.deviceIdentifier)
            throw DeletedRecovery::RecoveryError::unavailableSource(
                "Tidewell could not identify the raw device behind " + volume.name + ".");
        return deviceSource(*volume.deviceIdentifier, volume.name, volume);
    }
    DiskImage image = DiskImage::inspect(operand);
    if (image.table && !partition) throw PartitionChoiceNeeded{std::move(image)};
    return {image.reader(partition), image.sourceName(partition), std::nullopt};
}

int listPartitions(const CommandArguments& arguments, const fs::path& operand, const DiskImage& image) {
    const auto& partitions = image.table->partitions;
    if (arguments.has("--json")) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& partition : partitions) list.push_back(partitionJSON(partition));
        printJSON({{"partitionTable", PartitionTable::schemeName(image.table->scheme)},
                   {"partitions", list},
                   {"notes", image.table->notes}});
    } else {
        for (const auto& partition : partitions)
            std::cout << PartitionTable::partitionSummary(partition) << "  at byte " << partition.startOffset << "\n";
        for (const std::string& note : image.table->notes) std::cout << note << "\n";
    }
    reportFileError(operand, *DeletedRecovery::unsupportedSourceMessage(image.kind, image.sourceName()) +
                                 " Give its number with --partition N.");
    return 1;
}

// The candidates --output exports: those named by --only, else the recoverable
// ones, at or above the --confidence level.
std::vector<Candidate> selection(const CommandArguments& arguments, const std::vector<Candidate>& candidates,
                                 const fs::path& operand) {
    int minimumRank = 1;
    if (auto level = arguments.value("--confidence")) {
        if (*level == "high")
            minimumRank = 3;
        else if (*level == "medium")
            minimumRank = 2;
        else if (*level != "low")
            throw UsageError("--confidence takes high, medium or low");
    }
    const std::vector<std::string> only = arguments.allValues("--only");
    for (const std::string& name : only)
        if (std::none_of(candidates.begin(), candidates.end(),
                         [&](const Candidate& candidate) { return shownName(candidate) == name; }))
            reportFileError(operand, "no deleted-file candidate is named " + name);
    std::vector<Candidate> chosen;
    for (const Candidate& candidate : candidates) {
        const bool named = std::find(only.begin(), only.end(), shownName(candidate)) != only.end();
        if (only.empty() ? !candidate.isContiguousAndFree : !named) continue;
        if (DeletedRecovery::confidenceRank(candidate.confidence) >= minimumRank) chosen.push_back(candidate);
    }
    return chosen;
}

int exportSelection(const CommandArguments& arguments, const Source& source, const std::vector<Candidate>& chosen,
                    const fs::path& destination, nlohmann::json& document) {
    if (source.volume) FATDeletedRecoveryEngine::checkLiveExportDestination(*source.volume, destination);
    const NewFolderWatch watch(destination);
    const bool deep = arguments.has("--deep");
    const auto written = deep ? DeepScan::exportCandidates(chosen, *source.reader, source.name, destination, nullptr,
                                                           recoveryProgressPrinter(source.name))
                              : DeletedRecovery::exportFromSource(chosen, *source.reader, source.name, destination,
                                                                  nullptr, recoveryProgressPrinter(source.name),
                                                                  DeletedRecovery::ExportNaming::displayName);
    const auto folder = watch.added();
    const auto report = folder ? std::optional(*folder / FATDeletedRecoveryEngine::exportReportFileName) : std::nullopt;
    nlohmann::json files = nlohmann::json::array();
    for (const fs::path& file : written) files.push_back(file.string());
    document["exported"] = files;
    document["exportFolder"] = folder ? nlohmann::json(folder->string()) : nullptr;
    document["reportURL"] = report ? nlohmann::json(report->string()) : nullptr;
    if (!arguments.has("--json")) {
        std::cout << "Exported " << written.size() << " of " << chosen.size() << " selected files"
                  << (folder ? " to " + folder->string() : std::string()) << "\n";
        if (report) std::cout << "Report: " << report->string() << "\n";
    }
    return exportStatus(written.size(), chosen.size());
}

DeletedRecovery::ScanResult deepScan(const Source& source) {
    DeepScan::Result found = DeepScan::scan(*source.reader, source.name, nullptr, recoveryProgressPrinter(source.name),
                                            FileCarving::fileCheckValidator(FileFirstAidEngine::checkWholeness));
    return {found.candidates(), found.report};
}

int run(const CommandArguments& arguments) {
    if (arguments.operands.size() != 1) throw UsageError("give exactly one source");
    std::optional<int> partition;
    if (auto number = arguments.value("--partition")) {
        try {
            partition = std::stoi(*number);
        } catch (const std::exception&) {
            throw UsageError("--partition takes a partition number");
        }
    }
    const std::optional<fs::path> destination =
        arguments.value("--output") ? std::optional(outputFolder(arguments)) : std::nullopt;
    if (!destination && (arguments.value("--only") || arguments.value("--confidence")))
        throw UsageError("--only and --confidence choose what --output exports");
    const fs::path operand = arguments.operands.front();
    nlohmann::json document;
    try {
        const Source source = resolveSource(operand, partition);
        const bool deep = arguments.has("--deep");
        auto [candidates, report] = deep ? deepScan(source)
                                         : DeletedRecovery::scanSource(*source.reader, source.name, nullptr,
                                                                       recoveryProgressPrinter(source.name));
        nlohmann::json list = nlohmann::json::array();
        for (const Candidate& candidate : candidates) list.push_back(candidateJSON(candidate));
        document = {{"source", source.name},
                    {"candidates", list},
                    {"directoriesChecked", report.directoriesChecked},
                    {"entriesChecked", report.entriesChecked},
                    {"skippedEntries", report.skippedEntries},
                    {"errors", nlohmann::json::array()}};
        if (!arguments.has("--json")) {
            if (candidates.empty()) std::cout << "No deleted-file candidates found.\n";
            if (deep)
                printGroupedByFolder(candidates);
            else
                for (const Candidate& candidate : candidates) printCandidate(candidate);
        }
        int status = 0;
        if (destination) {
            std::vector<Candidate> chosen = selection(arguments, candidates, operand);
            if (chosen.empty()) {
                reportFileError(operand, "no recoverable deleted-file candidate to export");
                status = 1;
            } else {
                status = exportSelection(arguments, source, chosen, *destination, document);
            }
        }
        if (arguments.has("--json")) printJSON(document);
        return status;
    } catch (const PartitionChoiceNeeded& needed) {
        return listPartitions(arguments, operand, needed.image);
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& failure) {
        const nlohmann::json error = fileErrorJSON(operand.string(), failure.what());
        if (arguments.has("--json")) printJSON({{"candidates", nlohmann::json::array()}, {"errors", {error}}});
        return 1;
    }
}

}  // namespace

const Command& undeleteCommand() {
    static const Command command{
        .name = "undelete",
        .usageLine =
            "Usage: tidewell undelete [--partition N] [--deep] [--output FOLDER [--only NAME]... [--confidence "
            "LEVEL]] [--json] SOURCE",
        .summary = "list and export deleted files of a FAT32 or exFAT image, partition, device or mounted folder",
        .details =
            "SOURCE is an image file (.img .dd .raw .bin...), a partition device such as /dev/sdb1 (read\n"
            "through the read-only helper), or a mounted folder whose device is read. The source is only read.\n"
            "  --partition N    scan partition N of a disk image holding a partition table\n"
            "  --deep           search the data area for the folders a quick format left, and list their files\n"
            "  --output FOLDER  export the recoverable candidates into a new folder inside FOLDER\n"
            "  --only NAME      export this candidate (repeatable) instead of every recoverable one\n"
            "  --confidence L   export only candidates of confidence L or higher (high, medium, low)\n"
            "Progress goes to standard error.\n"
            "Statuses: 0 listed, or every selected file exported; 2 some exported; 1 none or an error;\n"
            "64 usage error.\n",
        .flags = {"--deep"},
        .valuedOptions = {"--partition", "--output", "--only", "--confidence"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
