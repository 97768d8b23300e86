#include "firstaid/file_repair_job.h"

#include <utility>

#include "util/text_helpers.h"
#include "util/uuid.h"

namespace tidewell {

FileRepairJob::FileRepairJob(std::filesystem::path source) : id(makeUUIDString()), sourceURL(std::move(source)) {}

std::string FileRepairJob::title() const {
    return sourceURL.filename().string();
}

std::string FileRepairJob::subtitle() const {
    if (diagnostic) return label(diagnostic->kind);
    const std::string extension = text_helpers::pathExtension(sourceURL);
    return extension.empty() ? "File" : text_helpers::uppercased(extension);
}

}  // namespace tidewell
