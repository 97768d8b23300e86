#include <chrono>
#include <cmath>
#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "platform/block_device_geometry.h"
#include "platform/raw_partition_identifier.h"
#include "recovery/deleted/device_imaging.h"
#include "recovery/deleted/file_reader.h"
#include "util/byte_size_text.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;
using namespace DeviceImaging;

// "tidewell: DEVICE: 42% Imaged ..." on standard error, once a second and once at the end.
ProgressCallback imagingProgress(const std::string& device) {
    struct Printed {
        std::chrono::steady_clock::time_point at;
        bool finished = false;
    };
    auto printed = std::make_shared<Printed>();
    return [device, printed](double fraction, const std::string& line) {
        const auto now = std::chrono::steady_clock::now();
        if (fraction < 1 ? now - printed->at < std::chrono::seconds(1) : printed->finished) return;
        *printed = {now, fraction >= 1};
        std::cerr << "tidewell: " << device << ": " << std::lround(fraction * 100) << "% " << line << "\n"
                  << std::flush;
    };
}

// A block device (by path or kernel name) is read through the privileged helper; anything
// else must be a readable file, read directly.
Result imageSource(const std::string& device, const fs::path& output, bool resume) {
    std::optional<std::string> kernelName = platform::blockDeviceKernelName(device);
    std::error_code error;
    if (!kernelName && !fs::exists(device, error) && platform::isRawPartitionIdentifier(device))
        kernelName = platform::blockDeviceKernelName("/dev/" + device);
    if (kernelName)
        return imagePartition(*kernelName, device, std::nullopt, output, resume, nullptr, imagingProgress(device));
    if (!fs::is_regular_file(device, error))
        throw std::runtime_error("This is neither a block device nor a file that can be imaged.");
    const FileReader reader(device, "The source file ended before its last byte could be read.");
    const Source source{&reader,
                        fs::path(device).filename().string(),
                        static_cast<std::int64_t>(fs::file_size(device)),
                        512,
                        {},
                        fs::absolute(device)};
    return makeImage(source, output, resume, nullptr, imagingProgress(device));
}

nlohmann::json resultJSON(const std::string& device, const Result& result) {
    nlohmann::json unreadable = nlohmann::json::array();
    for (const MapRange& range : result.unreadable)
        unreadable.push_back({{"start", range.start}, {"length", range.length}});
    return {{"source", device},
            {"image", result.image.string()},
            {"map", result.map.string()},
            {"sizeBytes", result.sizeBytes},
            {"copiedBytes", result.copiedBytes},
            {"complete", result.isComplete()},
            {"unreadable", unreadable}};
}

void printResult(const Result& result) {
    std::cout << "Image: " << result.image.string() << "\nMap: " << result.map.string() << "\nCopied "
              << tidewellString(result.copiedBytes) << " of " << tidewellString(result.sizeBytes) << ".\n";
    if (result.isComplete()) return;
    std::cout << result.unreadable.size() << " unreadable range(s), zeros in the image (start, length in bytes):\n";
    for (const MapRange& range : result.unreadable) std::cout << "  " << range.start << " " << range.length << "\n";
}

int run(const CommandArguments& arguments) {
    if (arguments.operands.size() != 1) throw UsageError("give exactly one device or file");
    const fs::path output = fs::absolute(arguments.requiredValue("--output"));
    const std::string& device = arguments.operands.front();
    const bool json = arguments.has("--json");
    try {
        const Result result = imageSource(device, output, arguments.has("--resume"));
        if (json) {
            printJSON({{"images", {resultJSON(device, result)}}, {"errors", nlohmann::json::array()}});
        } else {
            printResult(result);
        }
        return result.isComplete() ? 0 : 2;
    } catch (const std::exception& failure) {
        const nlohmann::json error = fileErrorJSON(device, failure.what());
        if (json) printJSON({{"images", nlohmann::json::array()}, {"errors", {error}}});
        return 1;
    }
}

}  // namespace

const Command& imageCommand() {
    static const Command command{
        .name = "image",
        .usageLine = "Usage: tidewell image [--resume] [--json] --output FILE DEVICE",
        .summary = "copy a whole partition (or a file) into an image file, zeros where it cannot be read",
        .details =
            "A block device is read through the read-only recovery helper; the source is never\n"
            "written. FILE.map beside the image lists every range as copied, pending, retry or\n"
            "unreadable; unreadable ranges are zeros in the image.\n"
            "  --output FILE  the new image, on another volume than the source\n"
            "  --resume       continue an interrupted image from its map\n"
            "Statuses: 0 complete, 2 complete but with unreadable ranges, 1 failed, 64 usage error.\n",
        .flags = {"--resume"},
        .valuedOptions = {"--output"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
