#include "model/app_model.h"

#include <QCoreApplication>
#include <algorithm>

#include "cleanup/clean_layout.h"
#include "cleanup/report_store.h"
#include "cleanup/saturating_sum.h"
#include "firstaid/repair_history_store.h"
#include "model/app_lists.h"
#include "model/background_work.h"
#include "model/items_by_id.h"
#include "model/language_setting.h"
#include "model/running_application_bundle.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

namespace {

// Forced inventory scans overlap, so the user-initiated pool runs a few at once.
constexpr int userInitiatedThreads = 4;
constexpr int utilityThreads = 2;

// The item of `result` with the previous selection's id, else the first item, else none.
template <typename Item>
std::optional<Item> carriedSelection(const std::optional<Item>& previous, const std::vector<Item>& result) {
    return withIDOrFirst(result, previous ? std::optional<std::string>(previous->id) : std::nullopt);
}

}  // namespace

AppModel::Engines AppModel::realEngines() {
    const CleanLayout& layout = CleanLayouts::active();
    RemovalSteps removal = layout.removalSteps();
    return Engines{
        .scanApps = [&layout](bool includePermissionSensitive) { return layout.scanApps(includePermissionSensitive); },
        .scanSafeCleanup = [&layout] { return layout.scanSafeCleanup(); },
        .scanLeftovers = [&layout](const std::vector<AppInfo>& apps) { return layout.scanLeftovers(apps); },
        .moveToTrash = std::move(removal.moveToTrash),
        .quitApp = std::move(removal.quitApp),
        .bootout = std::move(removal.switchOffStartupItem),
        .removeByRoute = std::move(removal.removeByRoute),
        .previewRemoval = std::move(removal.previewRemoval),
        .refreshMenus = std::move(removal.refreshMenus),
        .runningApplicationBundle = [] { return runningApplicationBundle(); },
        .terminateApplication = [] { QCoreApplication::quit(); },
        .mountedExternalVolumes = [] { return ExternalRecoveryEngine::mountedExternalVolumes(); },
        .refreshedVolume =
            [](const ExternalRecoveryVolume& volume) { return ExternalRecoveryEngine::refreshedVolume(volume); }};
}

AppModel::AppModel(QObject* parent) : AppModel(realEngines(), parent) {}

AppModel::AppModel(Engines engines, QObject* parent)
    : QObject(parent),
      engines_(std::move(engines)),
      reports_(ReportStore::load()),
      repairHistory_(RepairHistoryStore::load()),
      language_(LanguageSetting::load()) {
    userInitiatedPool_.setMaxThreadCount(userInitiatedThreads);
    utilityPool_.setMaxThreadCount(utilityThreads);
    utilityPool_.setThreadPriority(QThread::LowPriority);
}

AppModel::~AppModel() {
    // Long recovery and repair work is stopped rather than waited for.
    for (const auto& token : {recoveryCancellationToken_, deletedRecoveryCancellationToken_})
        if (token) token->cancel();
    if (repairCancellationToken_) repairCancellationToken_->cancel();
    // Work still running posts its result to this object; the posted calls die with it.
    userInitiatedPool_.waitForDone();
    utilityPool_.waitForDone();
}

void AppModel::setScanStatusText(std::optional<std::string> text) {
    assign(scanStatusText_, std::move(text), &AppModel::scanStatusTextChanged);
}

void AppModel::setSelectedApp(std::optional<AppInfo> app) {
    assign(selectedApp_, std::move(app), &AppModel::selectedAppChanged);
}

void AppModel::scan(bool force, bool includePermissionSensitive) {
    startInventoryScan(force, includePermissionSensitive, {});
}

void AppModel::startInventoryScan(bool force, bool includePermissionSensitive, Continuation then) {
    emit scanRequested(force, includePermissionSensitive);
    if (isScanning_ && !force) {
        if (then) then();
        return;
    }
    const std::uint64_t requestID = ++scanRequestID_;
    assign(isScanning_, true, &AppModel::isScanningChanged);
    setScanStatusText(t("scanningInstalledApps"));
    runInBackground(
        userInitiatedPool_, this,
        [scanApps = engines_.scanApps, includePermissionSensitive] { return scanApps(includePermissionSensitive); },
        [this, requestID, then](std::vector<AppInfo> result) {
            publishInventory(requestID, std::move(result));
            if (then) then();
        });
}

void AppModel::publishInventory(std::uint64_t requestID, std::vector<AppInfo> result) {
    // A newer scan started meanwhile: it publishes, this result is dropped.
    if (requestID != scanRequestID_) return;
    std::optional<AppInfo> selection = carriedSelection(selectedApp_, result);
    assign(apps_, std::move(result), &AppModel::appsChanged);
    setSelectedApp(std::move(selection));
    assign(hasCompletedInitialScan_, true, &AppModel::hasCompletedInitialScanChanged);
    assign(isScanning_, false, &AppModel::isScanningChanged);
    setScanStatusText(std::nullopt);
}

void AppModel::scanLeftovers() {
    startLeftoverScan({});
}

void AppModel::startLeftoverScan(Continuation then) {
    if (isScanningLeftovers_) {
        if (then) then();
        return;
    }
    assign(isScanningLeftovers_, true, &AppModel::isScanningLeftoversChanged);
    setScanStatusText(t("lookingForLeftovers"));
    runInBackground(
        utilityPool_, this, [scanLeftovers = engines_.scanLeftovers, apps = apps_] { return scanLeftovers(apps); },
        [this, then](std::vector<LeftoverGroup> result) {
            std::optional<LeftoverGroup> selection = carriedSelection(selectedLeftover_, result);
            assign(leftovers_, std::move(result), &AppModel::leftoversChanged);
            setSelectedLeftover(std::move(selection));
            assign(hasScannedLeftovers_, true, &AppModel::hasScannedLeftoversChanged);
            assign(isScanningLeftovers_, false, &AppModel::isScanningLeftoversChanged);
            setScanStatusText(std::nullopt);
            if (then) then();
        });
}

void AppModel::scanSafeCleanup() {
    startSafeCleanupScan({});
}

void AppModel::startSafeCleanupScan(Continuation then) {
    if (isScanningSafeCleanup_) {
        if (then) then();
        return;
    }
    assign(isScanningSafeCleanup_, true, &AppModel::isScanningSafeCleanupChanged);
    setScanStatusText(t("scanningSafeItems"));
    runInBackground(utilityPool_, this, engines_.scanSafeCleanup, [this, then](std::vector<SafeCleanupItem> result) {
        assign(safeCleanupItems_, std::move(result), &AppModel::safeCleanupItemsChanged);
        assign(hasScannedSafeCleanup_, true, &AppModel::hasScannedSafeCleanupChanged);
        assign(isScanningSafeCleanup_, false, &AppModel::isScanningSafeCleanupChanged);
        setScanStatusText(std::nullopt);
        if (then) then();
    });
}

std::vector<AppInfo> AppModel::thirdPartyApps() const {
    return AppLists::thirdPartyApps(apps_);
}

std::vector<AppInfo> AppModel::protectedApps() const {
    return AppLists::protectedApps(apps_);
}

std::vector<AppInfo> AppModel::diskLeaders() const {
    return AppLists::diskLeaders(apps_);
}

std::vector<AppInfo> AppModel::memoryLeaders() const {
    return AppLists::memoryLeaders(apps_);
}

std::vector<AppInfo> AppModel::installerLeaders() const {
    return AppLists::installerLeaders(apps_);
}

std::vector<AppInfo> AppModel::stubbornApps() const {
    return AppLists::stubbornApps(apps_);
}

std::int64_t AppModel::safeCleanupBytes() const {
    std::int64_t total = 0;
    for (const SafeCleanupItem& item : safeCleanupItems_) total = saturatingSum(total, item.sizeBytes);
    return total;
}

void AppModel::setSelectedProductModule(std::optional<ProductModule> module) {
    assign(selectedProductModule_, module, &AppModel::selectionChanged);
}

void AppModel::setSelectedSidebarItem(std::optional<SidebarItem> item) {
    assign(selectedSidebarItem_, item, &AppModel::selectionChanged);
}

void AppModel::setShowSelfUninstallConfirm(bool show) {
    assign(showSelfUninstallConfirm_, show, &AppModel::showSelfUninstallConfirmChanged);
}

void AppModel::setLanguage(const std::string& language) {
    // Every assignment is stored, so the choice survives a crash right after it.
    LanguageSetting::save(language);
    assign(language_, language, &AppModel::languageChanged);
}

void AppModel::presentAction(const std::string& message, ActionResultKind kind) {
    actionMessage_ = message;
    emit actionMessageChanged();
    assign(actionResultKind_, kind, &AppModel::actionResultKindChanged);
    assign(showActionAlert_, true, &AppModel::showActionAlertChanged);
}

void AppModel::setShowActionAlert(bool show) {
    assign(showActionAlert_, show, &AppModel::showActionAlertChanged);
}

}  // namespace tidewell
