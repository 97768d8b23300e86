#include "firstaid/media_probe.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"

namespace tidewell::FileFirstAidEngine {

std::optional<MediaProbe> mediaProbe(const std::filesystem::path& url) {
    auto ffprobe = toolPath("ffprobe");
    if (!ffprobe) return std::nullopt;
    auto output = runCheck(
        *ffprobe,
        {"-v", "error", "-show_entries", "format=duration:stream=codec_type,codec_name", "-of", "json", url.string()},
        commandTimeout(url));
    if (!output || output->status != 0) return std::nullopt;
    return MediaProbe::decode(output->stdoutText);
}

}  // namespace tidewell::FileFirstAidEngine
