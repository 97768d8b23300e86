#include <algorithm>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

std::vector<std::string> requiredOfficeEntries(const std::string& extension) {
    const std::string lower = text_helpers::lowercased(extension);
    std::string main;
    if (lower == "pptx") main = "ppt/presentation.xml";
    if (lower == "docx") main = "word/document.xml";
    if (lower == "xlsx") main = "xl/workbook.xml";
    if (main.empty()) return {};
    return {"[Content_Types].xml", "_rels/.rels", main};
}

std::string unzipLiteralPattern(const std::string& name) {
    // unzip matches its name arguments as wildcard patterns; without the
    // escapes "[Content_Types].xml" would never match itself.
    std::string pattern;
    for (char c : name) {
        if (c == '[' || c == ']' || c == '*' || c == '?' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

std::optional<std::string> requiredOfficePartsIssue(const std::filesystem::path& url) {
    auto unzip = toolPath("unzip");
    if (!unzip) {
        return platform::layoutText(
            "Tidewell could not verify the required Office package parts because macOS unzip is unavailable.",
            "Tidewell could not verify the required Office package parts because the unzip tool is unavailable.");
    }
    std::vector<std::string> arguments{"-tqq", url.string()};
    for (const auto& part : requiredOfficeEntries(text_helpers::pathExtension(url))) {
        arguments.push_back(unzipLiteralPattern(part));
    }
    auto output = runCheck(*unzip, arguments);
    if (!output || output->status != 0)
        return "One or more required Office package parts cannot be decompressed safely.";
    return std::nullopt;
}

std::vector<RepairFinding> officeFindings(const std::filesystem::path& url, const std::vector<std::string>& entries) {
    std::vector<RepairFinding> findings;
    for (const auto& part : requiredOfficeEntries(text_helpers::pathExtension(url))) {
        if (std::find(entries.begin(), entries.end(), part) != entries.end()) {
            findings.emplace_back(part, "Required Office package part is readable.", RepairFindingLevel::ok);
        } else {
            findings.emplace_back(part, "Required Office package part is missing from the readable entry list.",
                                  RepairFindingLevel::failed);
        }
    }
    return findings;
}

}  // namespace tidewell::FileFirstAidEngine
