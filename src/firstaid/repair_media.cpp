#include "firstaid/repair_exporters.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"

namespace tidewell::FileFirstAidEngine {

namespace {

// The texts and options of one kind of stream-copy remux.
struct RemuxWording {
    std::string missingTool;
    std::string remuxing;
    std::vector<std::string> extraOptions;
    std::string failure;
    std::string verifying;
    std::string warning;
    std::string message;
};

// All streams copied without re-encoding into a new container.
FileRepairOutcome remux(const RepairJob& job, const RemuxWording& wording) {
    const auto ffmpeg = toolPath("ffmpeg");
    if (!ffmpeg) throw RepairError::toolFailed(wording.missingTool);
    removeExistingOutput(job.output);
    job.report(RepairProgressStage::repairing, 0.42, wording.remuxing);
    std::vector<std::string> arguments{"-y", "-i", job.source().string(), "-map", "0", "-c", "copy"};
    arguments.insert(arguments.end(), wording.extraOptions.begin(), wording.extraOptions.end());
    arguments.push_back(job.output.string());
    const CommandOutput remuxed = job.run(*ffmpeg, arguments);
    if (remuxed.status != 0 || isMissingOrEmptyFile(job.output)) {
        throw RepairError::toolFailed(shorten(remuxed.combined(), wording.failure));
    }
    job.report(RepairProgressStage::verifying, 0.88, wording.verifying);
    std::vector<std::string> warnings{wording.warning};
    const auto validation = job.validated();
    warnings.insert(warnings.end(), validation.begin(), validation.end());
    return job.outcome(wording.message, warnings, true);
}

}  // namespace

FileRepairOutcome repairVideo(const RepairJob& job) {
    return remux(job, {.missingTool = "ffmpeg is required for MP4/MOV repair export in this build.",
                       .remuxing = "Remuxing video container",
                       .extraOptions = {"-movflags", "+faststart"},
                       .failure = "ffmpeg could not remux this video.",
                       .verifying = "Verifying repaired video",
                       .warning = "This repairs container metadata only. It does not recreate missing frames or "
                                  "missing moov data.",
                       .message = "ffmpeg exported a stream-copy repaired video."});
}

FileRepairOutcome repairAudio(const RepairJob& job) {
    return remux(job, {.missingTool = "ffmpeg is required for audio repair export in this build.",
                       .remuxing = "Remuxing audio container",
                       .extraOptions = {},
                       .failure = "ffmpeg could not remux this audio file.",
                       .verifying = "Verifying repaired audio",
                       .warning = "This repairs container-level audio issues only. It does not recreate missing "
                                  "samples.",
                       .message = "ffmpeg exported a stream-copy repaired audio file."});
}

}  // namespace tidewell::FileFirstAidEngine
