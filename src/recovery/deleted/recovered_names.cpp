#include "recovery/deleted/recovered_names.h"

#include <algorithm>

#include "recovery/deleted/known_signatures.h"

namespace tidewell::FATDeletedRecoveryEngine {

std::string safeFilename(const std::string& name) {
    std::string safe = name;
    std::replace_if(
        safe.begin(), safe.end(), [](char c) { return c == '/' || c == ':' || c == '\\'; }, '-');
    return safe.empty() ? "Recovered-file" : safe;
}

std::string safeRecoveredName(const std::string& name, const std::optional<std::string>& signature,
                              std::uint32_t cluster) {
    std::string safe = safeFilename(name);
    if (!safe.empty() && safe != "_.") return safe;
    std::string fallback = "Recovered-" + std::to_string(cluster);
    if (auto extension = signatureExtension(signature)) fallback += "." + *extension;
    return fallback;
}

std::string exportFileName(const Candidate& candidate, ExportNaming naming) {
    constexpr std::size_t maximumFileNameBytes = 255;
    std::string shown = safeFilename(candidate.nameFor(naming));
    if (shown.size() > maximumFileNameBytes || shown == "." || shown == "..") return safeFilename(candidate.name);
    return shown;
}

namespace {

bool isTaken(const std::filesystem::path& url, const std::set<std::filesystem::path>& outputs) {
    if (outputs.contains(url)) return true;
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(url, error));
}

}  // namespace

std::filesystem::path uniqueExportDirectory(const std::string& sourceName, const std::filesystem::path& folder) {
    std::string base = "Tidewell-Deleted-Recovery-" + sourceName;
    std::replace(base.begin(), base.end(), '/', '-');
    auto candidate = folder / base;
    for (int n = 2; isTaken(candidate, {}); ++n) candidate = folder / (base + "-" + std::to_string(n));
    return candidate;
}

std::filesystem::path uniqueFileURL(const std::filesystem::path& url,
                                    const std::set<std::filesystem::path>& existingOutputs) {
    auto folder = url.parent_path();
    auto stem = url.stem().string();
    auto extension = url.extension().string();  // with its dot, or empty
    auto candidate = url;
    for (int n = 2; isTaken(candidate, existingOutputs); ++n)
        candidate = folder / (stem + " " + std::to_string(n) + extension);
    return candidate;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
