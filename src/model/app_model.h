#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_candidate.h"
#include "cleanup/cleanup_report.h"
#include "cleanup/leftover_group.h"
#include "cleanup/removal_steps.h"
#include "cleanup/safe_cleanup_item.h"
#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_job.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_cancellation_token.h"
#include "firstaid/repair_export.h"
#include "firstaid/repair_history_record.h"
#include "model/action_result_kind.h"
#include "model/desktop.h"
#include "model/dialogs.h"
#include "model/i18n.h"
#include "model/product_module.h"
#include "model/sidebar_item.h"
#include "model/work_result.h"
#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_scan_report.h"
#include "recovery/deleted/deleted_scan_result.h"
#include "recovery/deleted/deleted_source.h"
#include "recovery/readable/external_recovery_volume.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "recovery/readable/recovery_candidate.h"
#include "recovery/readable/recovery_scan_report.h"
#include "recovery/readable/recovery_scan_state.h"
#include "util/progress.h"

namespace tidewell {

struct CleanupBatch;
struct RemovalPlanRun;
struct RepairBatch;
struct RepairExportResult;

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
    Q_PROPERTY(bool isDiagnosingRepair READ isDiagnosingRepair NOTIFY isDiagnosingRepairChanged)
    Q_PROPERTY(bool repairInProgress READ repairInProgress NOTIFY repairInProgressChanged)
    Q_PROPERTY(bool repairQueueInProgress READ repairQueueInProgress NOTIFY repairQueueInProgressChanged)

public:
    // The engine entry points the model calls on its worker pools; the real engines unless a
    // test wraps them.
    struct Engines {
        std::function<std::vector<AppInfo>(bool includePermissionSensitive)> scanApps;
        std::function<std::vector<SafeCleanupItem>()> scanSafeCleanup;
        std::function<std::vector<LeftoverGroup>(const std::vector<AppInfo>& installedApps)> scanLeftovers;

        // The item's new location in the Trash when known; throws when it could not be moved.
        std::function<std::optional<std::filesystem::path>(const std::filesystem::path&, bool allowAdminAuthorization)>
            moveToTrash;
        std::function<void(const AppInfo&, bool allowForceQuit)> quitApp;
        std::function<void(const CleanupCandidate&)> bootout;
        // The package managers' and the startup switches' routes; see RemovalSteps.
        std::function<void(const AppInfo&, const CleanupCandidate&)> removeByRoute;
        std::function<RemovalPreview(const AppInfo&, const std::vector<CleanupCandidate>&)> previewRemoval;
        std::function<void()> refreshMenus;
        // The installed application folder this process runs from, else the executable itself.
        std::function<std::filesystem::path()> runningApplicationBundle;
        // Ends the application (after its own bundle moved to the Trash).
        std::function<void()> terminateApplication;

        std::function<std::vector<ExternalRecoveryVolume>()> mountedExternalVolumes;
        // The source as it is now; none when it is gone.
        std::function<std::optional<ExternalRecoveryVolume>(const ExternalRecoveryVolume&)> refreshedVolume;
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
    const std::vector<LeftoverGroup>& leftovers() const { return leftovers_; }
    const std::optional<LeftoverGroup>& selectedLeftover() const { return selectedLeftover_; }
    void setSelectedLeftover(std::optional<LeftoverGroup> group);

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
    // Newest first; loaded from the report store at construction.
    const std::vector<CleanupReport>& reports() const { return reports_; }
    // What the package managers answered for the app's plan (the id of the app it is for
    // first); none until previewCleanupPlan answered.
    const std::optional<std::pair<std::string, RemovalPreview>>& cleanupPlanPreview() const {
        return cleanupPlanPreview_;
    }
    // Asks the package managers what removing the app's selectable items would take with it.
    // Only apps with such an item ask; the answer replaces the previous one.
    void previewCleanupPlan(const AppInfo& app);

    // --- Cleanup workflows (each batch does nothing while another one runs)
    // Moves the bundle alone; records no report.
    void moveAppBundleToTrash(const AppInfo& app);
    // Startup items first (unloaded before they move), the bundle last; a running app is
    // quit before its bundle moves.
    void moveCleanupCandidatesToTrash(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                      bool allowForceQuit = false, bool allowAdminAuthorization = false);
    void moveLeftoverCandidatesToTrash(const LeftoverGroup& group, const std::vector<CleanupCandidate>& candidates);
    void moveSafeCleanupItemsToTrash(const std::vector<SafeCleanupItem>& items);
    // Moves this application's installed folder to the Trash and ends the application.
    void selfUninstall();
    // Writes the support snapshot and reveals it in the file browser.
    void exportDiagnostics();

    // --- Readable and deleted-file recovery (one source list for both screens)
    const std::vector<ExternalRecoveryVolume>& recoveryVolumes() const { return recoveryVolumes_; }
    const std::optional<std::string>& selectedRecoveryVolumeID() const { return selectedRecoveryVolumeID_; }
    // The source with the selected id, else the first; none when the list is empty.
    std::optional<ExternalRecoveryVolume> selectedRecoveryVolume() const;
    const std::vector<RecoveryCandidate>& recoveryCandidates() const { return recoveryCandidates_; }
    const std::set<std::string>& selectedRecoveryCandidateIDs() const { return selectedRecoveryCandidateIDs_; }
    std::vector<RecoveryCandidate> selectedRecoveryCandidates() const;
    const RecoveryScanState& recoveryScanState() const { return recoveryScanState_; }
    const std::optional<std::string>& recoveryStatusText() const { return recoveryStatusText_; }
    const std::optional<RecoveryScanReport>& recoveryReport() const { return recoveryReport_; }

    const std::vector<DeletedRecovery::Candidate>& deletedRecoveryCandidates() const {
        return deletedRecoveryCandidates_;
    }
    const std::set<std::string>& selectedDeletedRecoveryCandidateIDs() const {
        return selectedDeletedRecoveryCandidateIDs_;
    }
    std::vector<DeletedRecovery::Candidate> selectedDeletedRecoveryCandidates() const;
    const RecoveryScanState& deletedRecoveryScanState() const { return deletedRecoveryScanState_; }
    const std::optional<std::string>& deletedRecoveryStatusText() const { return deletedRecoveryStatusText_; }
    const std::optional<DeletedRecovery::Report>& deletedRecoveryReport() const { return deletedRecoveryReport_; }
    // Why the selected source cannot be scanned for deleted files, told from its file-system name
    // before any scan (listing reads no device); none when it is FAT32, exFAT or not known.
    std::optional<std::string> deletedRecoveryRefusal() const;
    // The FAT32 and exFAT partitions of the opened disk image, while one is to be chosen.
    const std::vector<PartitionTable::Partition>& diskImagePartitions() const { return diskImagePartitions_; }
    // The opened image (and partition) the deleted-file results come from; none for a drive.
    const std::optional<std::string>& deletedRecoveryImageSourceName() const { return deletedImageSourceName_; }

    // Lists the mounted external sources again, keeping the selected one when it is still there.
    void refreshRecoveryVolumes();
    // Asks for a folder to use as a source and selects it.
    void chooseRecoverySource();
    // Selecting another source drops both screens' results; the current one keeps them.
    void selectRecoveryVolume(const std::optional<std::string>& id);
    void scanSelectedRecoveryVolume();
    void cancelRecoveryScan();
    void toggleRecoveryCandidate(const RecoveryCandidate& candidate);
    void selectAllRecoveryCandidates();
    void exportSelectedRecoveryCandidates();
    void scanDeletedFiles();
    // Searches the data area of the selected removable partition, or of the opened image or
    // partition, for the folders and files a quick format left; exported as the scan's are.
    void deepScanDeletedFiles();
    bool canDeepScanDeletedFiles() const;
    void cancelDeletedRecoveryScan();
    void toggleDeletedRecoveryCandidate(const DeletedRecovery::Candidate& candidate);
    void selectAllDeletedRecoveryCandidates();
    void exportSelectedDeletedRecoveryCandidates();
    // Asks for an image file: a volume image is scanned at once; a disk image offers its
    // FAT32 and exFAT partitions (diskImagePartitions) for scanDiskImagePartition.
    void openDiskImage();
    void scanDiskImagePartition(int number);
    // Saves an image of the selected removable partition to a file the user chooses (choosing
    // an image saved earlier continues it from its map); progress and cancel as a deleted-file scan.
    void saveDeletedRecoveryDiskImage();

    // --- Repair queue
    const std::optional<std::filesystem::path>& repairSelectedURL() const { return repairSelectedURL_; }
    const std::optional<FileRepairDiagnostic>& repairDiagnostic() const { return repairDiagnostic_; }
    bool isDiagnosingRepair() const { return isDiagnosingRepair_; }
    bool repairInProgress() const { return repairInProgress_; }
    // The same state as repairInProgress(): an export runs for one job or for the whole queue.
    bool repairQueueInProgress() const { return repairInProgress_; }
    const std::optional<std::string>& repairStatusText() const { return repairStatusText_; }
    const std::vector<FileRepairJob>& repairJobs() const { return repairJobs_; }
    const std::optional<std::string>& selectedRepairJobID() const { return selectedRepairJobID_; }
    // The job with the selected id, else the first; none when the queue is empty.
    std::optional<FileRepairJob> selectedRepairJob() const;
    // Jobs ready for repair whose diagnostic allows an attempt.
    std::int64_t readyRepairJobCount() const;
    // Newest first; loaded from the history store at construction.
    const std::vector<RepairHistoryRecord>& repairHistory() const { return repairHistory_; }

    // Queues existing files not queued yet, then diagnoses the new jobs.
    void addRepairFiles(const std::vector<std::filesystem::path>& urls);
    // Diagnoses the jobs in order; nothing happens while a diagnosis runs.
    void diagnoseRepairJobs(const std::vector<std::string>& ids);
    void selectRepairJob(const FileRepairJob& job);
    void removeRepairJob(const FileRepairJob& job);
    // Exports a repaired copy of the selected job to a place the user chooses.
    void exportRepairCopy();
    // Rebuilds the selected recording (its movie metadata missing) from a healthy clip of the same
    // camera the user chooses, into a place the user chooses.
    void rebuildRepairCopyFromReference();
    // Whether the selected job is such a recording.
    bool selectedRepairJobNeedsReference() const;
    // Extracts the selected job's readable contents into a folder the user chooses.
    void extractReadableRepairContents();
    // Exports every ready job into one folder the user chooses.
    void exportAllRepairableCopies();
    void clearRepairHistory();
    void revealRepairOutput(const std::filesystem::path& url);
    void openRepairOutput(const std::filesystem::path& url);

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

    // Asks for files to repair in the open panel and queues them.
    void chooseRepairFile();
    // Stops a running repair export; nothing happens when none runs.
    void cancelRepair();

signals:
    void selectionChanged();
    void languageChanged();
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

    void leftoversChanged();
    void selectedLeftoverChanged();
    void reportsChanged();
    void cleanupPlanPreviewChanged();

    void recoveryVolumesChanged();
    void selectedRecoveryVolumeIDChanged();
    void recoveryCandidatesChanged();
    void selectedRecoveryCandidateIDsChanged();
    void recoveryScanStateChanged();
    void recoveryStatusTextChanged();
    void recoveryReportChanged();
    void deletedRecoveryCandidatesChanged();
    void selectedDeletedRecoveryCandidateIDsChanged();
    void deletedRecoveryScanStateChanged();
    void deletedRecoveryStatusTextChanged();
    void deletedRecoveryReportChanged();
    void diskImagePartitionsChanged();
    void deletedRecoveryImageSourceNameChanged();

    void repairSelectedURLChanged();
    void repairDiagnosticChanged();
    void isDiagnosingRepairChanged();
    void repairInProgressChanged();
    void repairQueueInProgressChanged();
    void repairStatusTextChanged();
    void repairJobsChanged();
    void selectedRepairJobIDChanged();
    void repairHistoryChanged();

private:
    // Work that follows a scan or a batch; runs on the GUI thread.
    using Continuation = std::function<void()>;

    // The scans, calling `then` when this call's own work ended (at once when it did not start).
    void startInventoryScan(bool force, bool includePermissionSensitive, Continuation then);
    void startLeftoverScan(Continuation then);
    void startSafeCleanupScan(Continuation then);

    // Cleanup batches.
    void setCleanupStatusText(std::optional<std::string> text);
    // From a worker: shows the step as the cleanup status once the GUI thread gets to it.
    void postCleanupStatus(std::string text);
    void endCleanup();
    void addReport(const CleanupReport& report);
    void recordBatch(const std::string& appName, const CleanupBatch& batch, const std::string& summary);
    void finishCleanupPlan(const AppInfo& app, const RemovalPlanRun& run);
    RemovalSteps removalSteps() const;

    // Recovery screens.
    void resetRecoveryScan();
    // Empties a screen's candidates, selection and report.
    void clearReadableResults();
    void clearDeletedResults();
    // The live check: the selected source as it is now (replacing the listed one), or none
    // when it is gone; `then` gets the answer on the GUI thread.
    void checkLiveRecoveryVolume(std::function<void(std::optional<ExternalRecoveryVolume>)> then);
    // Runs `then` with the live source, or tells the user it is gone. While the screen scans or
    // exports, or a live check is under way, nothing happens.
    void whenSourceIsLive(const RecoveryScanState& state, const std::string& goneMessage,
                          std::function<void(const ExternalRecoveryVolume&)> then);
    // A progress callback for a worker that posts "{percent}% · {text}" to the status, unless
    // the results were reset meanwhile.
    ProgressCallback statusPoster(std::optional<std::string> AppModel::*status, void (AppModel::*changed)());
    std::optional<std::filesystem::path> chooseRecoveryDestination(const std::string& message);
    void startReadableScan(const ExternalRecoveryVolume& volume);
    void startReadableExport(const ExternalRecoveryVolume& volume, std::vector<RecoveryCandidate> selected,
                             const std::filesystem::path& destination);
    void setDeletedRecoveryStatus(std::string text);
    void startDeletedScan(const ExternalRecoveryVolume& volume);
    void publishDeletedScan(FATDeletedRecoveryEngine::ScanResult found);
    void startDeletedExport(const ExternalRecoveryVolume& volume, std::vector<DeletedRecovery::Candidate> selected,
                            const std::filesystem::path& destination);
    // The image source's scans and exports; the results are shown as a drive's are.
    void setDiskImage(std::optional<DeletedRecovery::DiskImage> image, std::vector<PartitionTable::Partition> choices);
    void startImageScan(std::optional<int> partition);
    void startDeepScan(std::shared_ptr<const RawReader> reader, const std::string& name,
                       std::function<bool()> publishable);
    using DeletedScanWork =
        std::function<FATDeletedRecoveryEngine::ScanResult(const RecoveryCancellationToken*, const ProgressCallback&)>;
    using DeletedExportWork =
        std::function<std::vector<std::filesystem::path>(const RecoveryCancellationToken*, const ProgressCallback&)>;
    // `publishable` is asked on the GUI thread whether the finished scan still belongs on screen.
    void runDeletedScan(DeletedScanWork scan, std::function<bool()> publishable);
    void runDeletedExport(DeletedExportWork exportWork);
    void startDiskImage(const ExternalRecoveryVolume& volume, const std::filesystem::path& image);

    // Repair queue.
    void updateRepairJob(const std::string& id, const std::function<void(FileRepairJob&)>& change);
    void setRepairStatusText(std::optional<std::string> text);
    void diagnoseNextRepairJob();
    void publishDiagnosis(const std::string& id, const std::string& name, WorkResult<FileRepairDiagnostic> diagnosed);
    // From a worker: each progress report of an export updates the job's phase, line and fraction.
    FileFirstAidEngine::RepairProgress repairProgressPoster(const std::string& jobID);
    // Announces both repair flags, the single-job one first.
    void setRepairInProgress(bool running);
    void beginRepairExport();
    void endRepairExport();
    // With a reference clip the copy is rebuilt from it (repairWithReference).
    void runRepairExport(const FileRepairJob& job, const std::filesystem::path& output, bool extraction,
                         std::function<void(WorkResult<RepairExportResult>)> finished,
                         const std::optional<std::filesystem::path>& reference = std::nullopt);
    void exportSelectedRepairCopy(const FileRepairJob& job, const std::optional<std::filesystem::path>& reference);
    void failJobExport(const std::string& id, const WorkResult<RepairExportResult>& failure,
                       const std::string& cancelledMessage, const std::string& failurePrefix);
    void exportNextBatchItem(const std::shared_ptr<RepairBatch>& batch);
    void finishRepairBatch(const RepairBatch& batch);
    static RepairHistoryRecord makeRepairHistoryRecord(const std::string& sourceName,
                                                       const FileRepairDiagnostic& diagnostic,
                                                       const FileRepairOutcome& outcome);
    void appendRepairHistory(const RepairHistoryRecord& record);

    // Stores the value and announces it when it differs.
    template <typename Value>
    void assign(Value& field, Value value, void (AppModel::*changed)()) {
        if (field == value) return;
        field = std::move(value);
        emit(this->*changed)();
    }

    void publishInventory(std::uint64_t requestID, std::vector<AppInfo> result);
    void setScanStatusText(std::optional<std::string> text);

    Engines engines_;
    QThreadPool userInitiatedPool_;
    QThreadPool utilityPool_;

    std::vector<AppInfo> apps_;
    std::optional<AppInfo> selectedApp_;
    std::vector<SafeCleanupItem> safeCleanupItems_;
    std::vector<LeftoverGroup> leftovers_;
    std::optional<LeftoverGroup> selectedLeftover_;
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
    std::vector<CleanupReport> reports_;
    std::optional<std::pair<std::string, RemovalPreview>> cleanupPlanPreview_;

    std::vector<ExternalRecoveryVolume> recoveryVolumes_;
    std::optional<std::string> selectedRecoveryVolumeID_;
    std::vector<RecoveryCandidate> recoveryCandidates_;
    std::set<std::string> selectedRecoveryCandidateIDs_;
    RecoveryScanState recoveryScanState_ = RecoveryScanState::idle();
    std::optional<std::string> recoveryStatusText_;
    std::optional<RecoveryScanReport> recoveryReport_;
    std::shared_ptr<RecoveryCancellationToken> recoveryCancellationToken_;
    std::vector<DeletedRecovery::Candidate> deletedRecoveryCandidates_;
    std::set<std::string> selectedDeletedRecoveryCandidateIDs_;
    RecoveryScanState deletedRecoveryScanState_ = RecoveryScanState::idle();
    std::optional<std::string> deletedRecoveryStatusText_;
    std::optional<DeletedRecovery::Report> deletedRecoveryReport_;
    std::shared_ptr<RecoveryCancellationToken> deletedRecoveryCancellationToken_;
    std::optional<DeletedRecovery::DiskImage> deletedImage_;
    std::optional<int> deletedImagePartition_;
    // The shown deleted-file results came from a deep scan, and export as its files do.
    bool deletedScanIsDeep_ = false;
    std::optional<std::string> deletedImageSourceName_;
    std::vector<PartitionTable::Partition> diskImagePartitions_;
    // Counts the resets of the recovery results; work begun before the latest reset publishes nothing.
    std::uint64_t recoveryGeneration_ = 0;
    int liveChecksInFlight_ = 0;

    std::optional<std::filesystem::path> repairSelectedURL_;
    std::optional<FileRepairDiagnostic> repairDiagnostic_;
    bool isDiagnosingRepair_ = false;
    // A repair export or extraction runs, for one job or the whole queue.
    bool repairInProgress_ = false;
    std::optional<std::string> repairStatusText_;
    std::vector<FileRepairJob> repairJobs_;
    std::optional<std::string> selectedRepairJobID_;
    std::vector<RepairHistoryRecord> repairHistory_;
    std::shared_ptr<RepairCancellationToken> repairCancellationToken_;
    // Jobs waiting for the running diagnosis, in order.
    std::deque<std::string> pendingDiagnosisIDs_;

    std::string language_;
    std::optional<std::string> actionMessage_;
    ActionResultKind actionResultKind_ = ActionResultKind::info;
    bool showActionAlert_ = false;

    Dialogs* dialogs_ = nullptr;
    Desktop* desktop_ = nullptr;
};

}  // namespace tidewell
