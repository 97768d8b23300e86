#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/i18n.h"
#include "model/product_module.h"
#include "model/sidebar_item.h"

namespace tidewell {

// The application model: all interface state, confined to the GUI thread. For now it holds
// only what the window shell and the navigation need: the two selections, the interface
// language, and the entry points the menus call. The workflows grow here.
class AppModel : public QObject {
    Q_OBJECT

public:
    // Asks the user for a file to repair; none when the user cancels.
    using RepairFileChooser = std::function<std::optional<std::filesystem::path>()>;

    explicit AppModel(QObject* parent = nullptr);

    std::optional<ProductModule> selectedProductModule() const { return selectedProductModule_; }
    void setSelectedProductModule(std::optional<ProductModule> module);
    // Initially the home page.
    std::optional<SidebarItem> selectedSidebarItem() const { return selectedSidebarItem_; }
    void setSelectedSidebarItem(std::optional<SidebarItem> item);

    // The language raw value; "English" at start.
    const std::string& language() const { return language_; }
    void setLanguage(const std::string& language);
    // The keyed text in the current language.
    std::string t(std::string_view key) const { return I18n::t(key, language_); }

    // The chooser the file-repair command asks (the application installs a file dialog).
    void setRepairFileChooser(RepairFileChooser chooser) { repairFileChooser_ = std::move(chooser); }
    // Asks the chooser for a file and announces the chosen one.
    void chooseRepairFile();
    // Stops a running repair; nothing happens when none runs.
    void cancelRepair();
    // Starts a scan of the installed apps.
    void scan(bool force, bool includePermissionSensitive);

signals:
    void selectionChanged();
    void languageChanged();
    void repairFileChosen(const QString& path);
    void repairCancelled();
    void scanRequested(bool force, bool includePermissionSensitive);

private:
    std::optional<ProductModule> selectedProductModule_;
    std::optional<SidebarItem> selectedSidebarItem_ = SidebarItem::home;
    std::string language_ = "English";
    RepairFileChooser repairFileChooser_;
};

}  // namespace tidewell
