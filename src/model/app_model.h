#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/safe_cleanup_item.h"
#include "model/action_result_kind.h"
#include "model/desktop.h"
#include "model/dialogs.h"
#include "model/i18n.h"
#include "model/product_module.h"
#include "model/sidebar_item.h"

namespace tidewell {

// The application model: all interface state, confined to the GUI thread. The views read its
// state and call its operations; the engines run on two worker pools (user-initiated work and
// utility work) and their results come back to the GUI thread as queued calls, so nothing here
// is touched from another thread. Each state value has its own change signal.
class AppModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isScanning READ isScanning NOTIFY isScanningChanged)
    Q_PROPERTY(bool isScanningLeftovers READ isScanningLeftovers NOTIFY isScanningLeftoversChanged)
    Q_PROPERTY(bool isScanningSafeCleanup READ isScanningSafeCleanup NOTIFY isScanningSafeCleanupChanged)
    Q_PROPERTY(bool hasCompletedInitialScan READ hasCompletedInitialScan NOTIFY hasCompletedInitialScanChanged)
    Q_PROPERTY(bool hasScannedLeftovers READ hasScannedLeftovers NOTIFY hasScannedLeftoversChanged)
    Q_PROPERTY(bool hasScannedSafeCleanup READ hasScannedSafeCleanup NOTIFY hasScannedSafeCleanupChanged)
    Q_PROPERTY(bool cleanupInProgress READ cleanupInProgress NOTIFY cleanupInProgressChanged)
    Q_PROPERTY(bool showSelfUninstallConfirm READ showSelfUninstallConfirm WRITE setShowSelfUninstallConfirm NOTIFY
                   showSelfUninstallConfirmChanged)
    Q_PROPERTY(bool showActionAlert READ showActionAlert WRITE setShowActionAlert NOTIFY showActionAlertChanged)
    Q_PROPERTY(QString language READ languageText WRITE setLanguageText NOTIFY languageChanged)

public:
    // Asks the user for a file to repair; none when the user cancels.
    using RepairFileChooser = std::function<std::optional<std::filesystem::path>()>;

    // The engine entry points the model calls on its worker pools; the real engines unless a
    // test wraps them.
    struct Engines {
        std::function<std::vector<AppInfo>(bool includePermissionSensitive)> scanApps;
        std::function<std::vector<SafeCleanupItem>()> scanSafeCleanup;
    };
    static Engines realEngines();

    // Reads the stored interface language; starts no scan.
    explicit AppModel(QObject* parent = nullptr);
    explicit AppModel(Engines engines, QObject* parent = nullptr);
    // Waits for running engine work; its results are dropped.
    ~AppModel() override;

    // --- Inventory and scanning
    const std::vector<AppInfo>& apps() const { return apps_; }
    const std::optional<AppInfo>& selectedApp() const { return selectedApp_; }
    void setSelectedApp(std::optional<AppInfo> app);
    bool isScanning() const { return isScanning_; }
    bool isScanningLeftovers() const { return isScanningLeftovers_; }
    bool isScanningSafeCleanup() const { return isScanningSafeCleanup_; }
    const std::optional<std::string>& scanStatusText() const { return scanStatusText_; }
    bool hasCompletedInitialScan() const { return hasCompletedInitialScan_; }
    bool hasScannedLeftovers() const { return hasScannedLeftovers_; }
    bool hasScannedSafeCleanup() const { return hasScannedSafeCleanup_; }
    const std::vector<SafeCleanupItem>& safeCleanupItems() const { return safeCleanupItems_; }

    // The app inventory. Without `force` nothing happens while a scan runs; a forced scan
    // overlaps the running one and only the most recently started scan publishes.
    void scan(bool force = false, bool includePermissionSensitive = false);
    // The leftover and safe-cleanup scans; each does nothing while it already runs.
    void scanLeftovers();
    void scanSafeCleanup();

    // --- Derived lists (computed on every call)
    std::vector<AppInfo> thirdPartyApps() const;
    std::vector<AppInfo> protectedApps() const;
    std::vector<AppInfo> diskLeaders() const;
    std::vector<AppInfo> memoryLeaders() const;
    std::vector<AppInfo> installerLeaders() const;
    std::vector<AppInfo> stubbornApps() const;
    // The bytes of every safe-cleanup item together.
    std::int64_t safeCleanupBytes() const;

    // --- Navigation
    std::optional<ProductModule> selectedProductModule() const { return selectedProductModule_; }
    void setSelectedProductModule(std::optional<ProductModule> module);
    // Initially the home page.
    std::optional<SidebarItem> selectedSidebarItem() const { return selectedSidebarItem_; }
    void setSelectedSidebarItem(std::optional<SidebarItem> item);

    // --- Cleanup state
    bool cleanupInProgress() const { return cleanupInProgress_; }
    const std::optional<std::string>& cleanupStatusText() const { return cleanupStatusText_; }
    bool showSelfUninstallConfirm() const { return showSelfUninstallConfirm_; }
    void setShowSelfUninstallConfirm(bool show);

    // --- Presentation
    // The language raw value; stored at every assignment and read back at the next start.
    const std::string& language() const { return language_; }
    void setLanguage(const std::string& language);
    QString languageText() const { return QString::fromStdString(language_); }
    void setLanguageText(const QString& language) { setLanguage(language.toStdString()); }
    // The keyed text in the current language.
    std::string t(std::string_view key) const { return I18n::t(key, language_); }
    // "3 items", "1 item", or "3 项" in Simplified Chinese.
    std::string localizedItemCount(std::int64_t count) const { return I18n::localizedItemCount(count, language_); }
    // Shows an outcome to the user: message, then kind, then the alert.
    void presentAction(const std::string& message, ActionResultKind kind);
    const std::optional<std::string>& actionMessage() const { return actionMessage_; }
    ActionResultKind actionResultKind() const { return actionResultKind_; }
    bool showActionAlert() const { return showActionAlert_; }
    void setShowActionAlert(bool show);

    // --- Desktop services the workflows use (not owned; none until the application installs them)
    void setDialogs(Dialogs* dialogs) { dialogs_ = dialogs; }
    Dialogs* dialogs() const { return dialogs_; }
    void setDesktop(Desktop* desktop) { desktop_ = desktop; }
    Desktop* desktop() const { return desktop_; }

    // The chooser the file-repair command asks (the application installs a file dialog).
    void setRepairFileChooser(RepairFileChooser chooser) { repairFileChooser_ = std::move(chooser); }
    // Asks the chooser for a file and announces the chosen one.
    void chooseRepairFile();
    // Stops a running repair; nothing happens when none runs.
    void cancelRepair();

signals:
    void selectionChanged();
    void languageChanged();
    void repairFileChosen(const QString& path);
    void repairCancelled();
    // Every call of scan(), before the busy check.
    void scanRequested(bool force, bool includePermissionSensitive);

    void appsChanged();
    void safeCleanupItemsChanged();
    void selectedAppChanged();
    void isScanningChanged();
    void isScanningLeftoversChanged();
    void isScanningSafeCleanupChanged();
    void scanStatusTextChanged();
    void hasCompletedInitialScanChanged();
    void hasScannedLeftoversChanged();
    void hasScannedSafeCleanupChanged();
    void cleanupInProgressChanged();
    void cleanupStatusTextChanged();
    void showSelfUninstallConfirmChanged();
    void actionMessageChanged();
    void actionResultKindChanged();
    void showActionAlertChanged();

private:
    void publishInventory(std::uint64_t requestID, std::vector<AppInfo> result);
    void setScanStatusText(std::optional<std::string> text);
    void setFlag(bool& flag, bool value, void (AppModel::*changed)());

    Engines engines_;
    QThreadPool userInitiatedPool_;
    QThreadPool utilityPool_;

    std::vector<AppInfo> apps_;
    std::optional<AppInfo> selectedApp_;
    std::vector<SafeCleanupItem> safeCleanupItems_;
    bool isScanning_ = false;
    bool isScanningLeftovers_ = false;
    bool isScanningSafeCleanup_ = false;
    std::optional<std::string> scanStatusText_;
    bool hasCompletedInitialScan_ = false;
    bool hasScannedLeftovers_ = false;
    bool hasScannedSafeCleanup_ = false;
    // Numbers the inventory scans; only the latest one publishes.
    std::uint64_t scanRequestID_ = 0;

    std::optional<ProductModule> selectedProductModule_;
    std::optional<SidebarItem> selectedSidebarItem_ = SidebarItem::home;

    bool cleanupInProgress_ = false;
    std::optional<std::string> cleanupStatusText_;
    bool showSelfUninstallConfirm_ = false;

    std::string language_;
    std::optional<std::string> actionMessage_;
    ActionResultKind actionResultKind_ = ActionResultKind::info;
    bool showActionAlert_ = false;

    Dialogs* dialogs_ = nullptr;
    Desktop* desktop_ = nullptr;
    RepairFileChooser repairFileChooser_;
};

}  // namespace tidewell
