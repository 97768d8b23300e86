#include "model/app_model.h"

namespace tidewell {

AppModel::AppModel(QObject* parent) : QObject(parent) {}

void AppModel::setSelectedProductModule(std::optional<ProductModule> module) {
    if (module == selectedProductModule_) return;
    selectedProductModule_ = module;
    emit selectionChanged();
}

void AppModel::setSelectedSidebarItem(std::optional<SidebarItem> item) {
    if (item == selectedSidebarItem_) return;
    selectedSidebarItem_ = item;
    emit selectionChanged();
}

void AppModel::setLanguage(const std::string& language) {
    if (language == language_) return;
    language_ = language;
    emit languageChanged();
}

void AppModel::chooseRepairFile() {
    if (!repairFileChooser_) return;
    if (auto file = repairFileChooser_()) emit repairFileChosen(QString::fromStdString(file->string()));
}

void AppModel::cancelRepair() {
    emit repairCancelled();
}

void AppModel::scan(bool force, bool includePermissionSensitive) {
    emit scanRequested(force, includePermissionSensitive);
}

}  // namespace tidewell
