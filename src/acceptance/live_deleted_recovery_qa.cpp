#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <iostream>
#include <thread>

#include "acceptance/acceptance_runs.h"
#include "acceptance/argument_value.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "platform/mount_info.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/base64_text.h"
#include "util/file_descriptor.h"
#include "util/path_containment.h"
#include "util/unicode_text.h"
#include "util/uuid.h"

namespace tidewell::LiveDeletedRecoveryQAAcceptance {

namespace {

namespace Engine = FATDeletedRecoveryEngine;
using acceptance::fail;

constexpr const char* usageLine =
    "Usage: Tidewell --live-deleted-recovery-qa --source <mounted-fat32-volume> --destination <different-folder>";
constexpr const char* testImageBase64 =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVQIHWP4z8DwHwAFgAI/ScL2YQAAAABJRU5ErkJggg==";

std::string makeTestFileName() {
    std::string tag = makeUUIDString().substr(0, 4);
    std::transform(tag.begin(), tag.end(), tag.begin(), [](unsigned char c) { return std::toupper(c); });
    return "TWQA" + tag + ".PNG";
}

// Writes the payload, forces it and the volume's metadata to the medium, then
// deletes the file and flushes again so the raw scan sees the deleted entry.
void createAndDelete(const std::filesystem::path& file, const std::vector<std::uint8_t>& payload) {
    FileDescriptor output(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (output.get() < 0) throw std::filesystem::filesystem_error("create", file, {errno, std::generic_category()});
    if (::write(output.get(), payload.data(), payload.size()) != static_cast<ssize_t>(payload.size()) ||
        ::fsync(output.get()) != 0)
        throw std::filesystem::filesystem_error("write", file, {errno, std::generic_category()});
    ::syncfs(output.get());
    output.close();
    std::filesystem::remove(file);
    FileDescriptor folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
        ::syncfs(folder.get());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
}

std::string inventory(const std::vector<Engine::Candidate>& candidates) {
    std::string text;
    for (const auto& candidate : candidates)
        text += (text.empty() ? "" : "; ") + candidate.name + " (" + std::to_string(candidate.sizeBytes) + " bytes, " +
                rawValue(candidate.confidence) + ", validated=" + (candidate.contentIsValidated ? "true" : "false") +
                ")";
    return text;
}

std::int32_t run(const std::filesystem::path& source, const std::filesystem::path& destination) {
    if (destination == source || isPathInside(destination, source))
        return fail("the QA export destination must be outside the source volume.", 65);
    const std::string testFileName = makeTestFileName();
    const std::string expectedName = lowercased("_" + testFileName.substr(1));
    const std::filesystem::path testFile = source / testFileName;

    ExternalRecoveryVolume volume = ExternalRecoveryEngine::manuallySelectedVolume(source);
    // Refused before anything is written to the volume.
    if (!acceptance::isFAT32FileSystemName(volume.fileSystem))
        return fail("the selected test source is " + volume.fileSystem + ", not FAT32.", 2);
    if (std::filesystem::exists(std::filesystem::symlink_status(testFile)))
        return fail("test filename collision on the source volume. Run again.", 3);

    const std::vector<std::uint8_t> payload = testImageData();
    createAndDelete(testFile, payload);
    std::cout << "LIVE QA created and deleted " << testFileName << " on " << volume.name << "." << std::endl;

    auto [candidates, report] = Engine::scan(volume, nullptr, acceptance::printingProgress("LIVE DELETED SCAN "));
    auto match = std::find_if(candidates.begin(), candidates.end(), [&](const Engine::Candidate& candidate) {
        return lowercased(candidate.name) == expectedName &&
               candidate.sizeBytes == static_cast<std::int64_t>(payload.size()) && candidate.isContiguousAndFree;
    });
    if (match == candidates.end())
        return fail("the just-deleted " + testFileName +
                        " was not found as a safe FAT32 recovery candidate. Scan inventory: " + inventory(candidates),
                    4);
    auto written = Engine::exportCandidates({*match}, volume, destination, nullptr,
                                            acceptance::printingProgress("LIVE DELETED EXPORT "));
    if (written.empty()) return fail("the deleted test candidate was found but not exported.", 5);
    if (acceptance::readWholeFile(written.front()) != payload)
        return fail("recovered test bytes do not match the original payload.", 6);
    std::cout << "PASS live deleted recovery acceptance: " << testFileName << " was deleted from " << volume.name
              << ", found in the FAT32 directory, and restored byte-for-byte to " << written.front().string() << "."
              << std::endl;
    return 0;
}

}  // namespace

std::vector<std::uint8_t> testImageData() {
    auto data = base64Decoded(testImageBase64);
    if (!data) {
        std::cerr << "The live deleted-recovery PNG fixture is invalid." << std::endl;
        std::abort();
    }
    return *data;
}

std::optional<std::int32_t> runIfRequested(const std::vector<std::string>& arguments) {
    if (!acceptance::hasArgument(option, arguments)) return std::nullopt;
    auto source = acceptance::argumentValue("--source", arguments);
    auto destination = acceptance::argumentValue("--destination", arguments);
    if (!source || !destination) return acceptance::usage(usageLine);
    try {
        // Links are resolved so that none can hide a destination inside the source.
        return run(platform::resolvedPath(*source), platform::resolvedPath(*destination));
    } catch (const std::exception& error) {
        return fail(error.what(), 1);
    }
}

}  // namespace tidewell::LiveDeletedRecoveryQAAcceptance
