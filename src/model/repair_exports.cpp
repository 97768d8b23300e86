#include "model/app_model.h"

namespace tidewell {

void AppModel::exportRepairCopy() {}
void AppModel::extractReadableRepairContents() {}
void AppModel::exportAllRepairableCopies() {}

}  // namespace tidewell
