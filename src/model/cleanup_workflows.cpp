#include "model/app_model.h"

namespace tidewell {

void AppModel::setSelectedLeftover(std::optional<LeftoverGroup> group) {
    if (group == selectedLeftover_) return;
    selectedLeftover_ = std::move(group);
    emit selectedLeftoverChanged();
}

void AppModel::moveAppBundleToTrash(const AppInfo&) {}

void AppModel::moveCleanupCandidatesToTrash(const AppInfo&, const std::vector<CleanupCandidate>&, bool, bool) {}

void AppModel::moveLeftoverCandidatesToTrash(const LeftoverGroup&, const std::vector<CleanupCandidate>&) {}

void AppModel::moveSafeCleanupItemsToTrash(const std::vector<SafeCleanupItem>&) {}

void AppModel::selfUninstall() {}

void AppModel::exportDiagnostics() {}

}  // namespace tidewell
