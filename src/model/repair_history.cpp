#include "model/app_model.h"

namespace tidewell {

std::vector<RepairHistoryRecord> AppModel::loadRepairHistory() {
    return {};
}

void AppModel::clearRepairHistory() {}

}  // namespace tidewell
