#include <algorithm>
#include <cmath>

#include "firstaid/export_validation.h"
#include "firstaid/media_container.h"
#include "firstaid/media_probe.h"

namespace tidewell::FileFirstAidEngine {

namespace {

bool hasAtom(const std::vector<AtomRecord>& atoms, std::string_view type) {
    return std::any_of(atoms.begin(), atoms.end(), [&](const AtomRecord& atom) { return atom.type == type; });
}

ValidationResult failure(std::string message) {
    return {false, {std::move(message)}};
}

// A missing duration on either side skips the comparison.
bool durationsAgree(const MediaProbe& output, const std::optional<std::filesystem::path>& sourceURL) {
    if (!sourceURL) return true;
    const auto outputDuration = output.duration();
    if (!outputDuration) return true;
    const auto source = mediaProbe(*sourceURL);
    if (!source || !source->duration()) return true;
    return durationWithinTolerance(*source->duration(), *outputDuration);
}

}  // namespace

bool durationWithinTolerance(double sourceSeconds, double outputSeconds) {
    const double tolerance = std::max(2.0, 0.02 * sourceSeconds);
    return std::fabs(outputSeconds - sourceSeconds) <= tolerance;
}

ValidationResult validateMedia(const std::filesystem::path& output, FileRepairKind kind,
                               const std::optional<std::filesystem::path>& sourceURL) {
    if (kind == FileRepairKind::videoContainer) {
        const auto atoms = parseTopLevelAtoms(output);
        if (!hasAtom(atoms, "moov") || !hasAtom(atoms, "mdat")) {
            return failure("The exported video is missing expected moov/mdat atoms.");
        }
        const auto probe = mediaProbe(output);
        if (!probe || probe->playableStreams().empty()) {
            return failure("The exported video could not be opened by ffprobe with playable streams.");
        }
        if (!durationsAgree(*probe, sourceURL)) {
            return failure("The repaired video duration differs too much from the readable source streams.");
        }
        return {true, {}};
    }
    const auto probe = mediaProbe(output);
    const bool hasAudio = probe && std::any_of(probe->streams.begin(), probe->streams.end(),
                                               [](const MediaProbe::Stream& s) { return s.codecType == "audio"; });
    if (!hasAudio) return failure("The exported audio could not be opened by ffprobe with an audio stream.");
    if (!durationsAgree(*probe, sourceURL)) {
        return failure("The repaired audio duration differs too much from the readable source stream.");
    }
    return {true, {}};
}

}  // namespace tidewell::FileFirstAidEngine
