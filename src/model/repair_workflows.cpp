#include "model/app_model.h"

namespace tidewell {

std::optional<FileRepairJob> AppModel::selectedRepairJob() const {
    return std::nullopt;
}

std::int64_t AppModel::readyRepairJobCount() const {
    return 0;
}

std::vector<RepairHistoryRecord> AppModel::loadRepairHistory() {
    return {};
}

void AppModel::chooseRepairFile() {
    if (!repairFileChooser_) return;
    if (auto file = repairFileChooser_()) emit repairFileChosen(QString::fromStdString(file->string()));
}

void AppModel::cancelRepair() {
    emit repairCancelled();
}

void AppModel::addRepairFiles(const std::vector<std::filesystem::path>&) {}
void AppModel::diagnoseRepairJobs(const std::vector<std::string>&) {}
void AppModel::selectRepairJob(const FileRepairJob&) {}
void AppModel::removeRepairJob(const FileRepairJob&) {}
void AppModel::exportRepairCopy() {}
void AppModel::extractReadableRepairContents() {}
void AppModel::exportAllRepairableCopies() {}
void AppModel::clearRepairHistory() {}
void AppModel::revealRepairOutput(const std::filesystem::path&) {}
void AppModel::openRepairOutput(const std::filesystem::path&) {}

}  // namespace tidewell
