// TEMPORARY stand-in, never committed.
#include <algorithm>
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/text_helpers.h"
#include "firstaid/tool_output.h"
namespace tidewell::FileFirstAidEngine {
double commandTimeout(const std::filesystem::path& url) {
    double mib = std::max<double>(static_cast<double>(fileByteSize(url)), 0) / 1048576.0;
    return std::min(3600.0, std::max(180.0, 180.0 + 1.5 * mib));
}
std::string shorten(const std::string& text, const std::string& fallback) {
    auto t = firstaid_text::trimmed(text);
    if (t.empty()) return fallback;
    if (t.size() > 420) return t.substr(t.size() - 420);
    return t;
}
}  // namespace tidewell::FileFirstAidEngine
