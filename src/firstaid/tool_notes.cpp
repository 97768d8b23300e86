#include "firstaid/file_first_aid_engine.h"
#include "firstaid/tool_runs.h"

namespace tidewell::FileFirstAidEngine {

std::vector<std::string> toolNotes() {
    // Decided at the moment of asking; nothing is cached.
    const bool qpdf = toolPath("qpdf").has_value();
    const bool ffmpeg = toolPath("ffmpeg").has_value();
    const bool unzip = toolPath("unzip").has_value();
    return {
        qpdf ? "qpdf available" : "qpdf not bundled/installed",
        ffmpeg ? "ffmpeg available" : "ffmpeg not bundled/installed",
        std::string("zip/unzip: ") + (unzip ? "available" : "missing"),
    };
}

}  // namespace tidewell::FileFirstAidEngine
