#pragma once

#include <QWidget>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace tidewell {

class AppModel;
class RecoveryScanState;

// The recovery workspace: the source picker (mounted external sources or a chosen folder),
// then one tab for the readable-file scan and one for the deleted-file scan. Each tab has its
// scan and cancel buttons, a progress bar, the candidates with a check box each, select all,
// export and the scan report.
class RecoveryPage : public QWidget {
    Q_OBJECT

public:
    explicit RecoveryPage(AppModel& model, QWidget* parent = nullptr);

    // The widgets of one scan's tab.
    struct Section {
        QPushButton* scan = nullptr;
        QPushButton* cancel = nullptr;
        QProgressBar* progress = nullptr;
        QLabel* status = nullptr;
        QTreeWidget* candidates = nullptr;
        QPushButton* selectAll = nullptr;
        QPushButton* exportSelected = nullptr;
        QLabel* report = nullptr;
        QHBoxLayout* actions = nullptr;
    };
    const Section& readable() const { return readable_; }
    const Section& deleted() const { return deleted_; }
    QComboBox* sourcePicker() const { return sources_; }
    // Deleted Files: an image of the selected removable partition.
    QPushButton* deepScanButton() const { return deepScan_; }
    QPushButton* saveDiskImageButton() const { return saveDiskImage_; }

private:
    QWidget* makeSection(Section& section, const char* name);
    // The source picker and its detail line; the scan buttons follow, as they need a source.
    void reloadSources();
    // The candidate rows, rebuilt only when the candidates or their check marks change.
    void reloadReadableRows();
    void reloadDeletedRows();
    // Everything else in a tab: progress, buttons, status and report.
    void refreshReadableState();
    void refreshDeletedState();
    void showState(const Section& section, const RecoveryScanState& state, const std::optional<std::string>& status,
                   bool hasCandidates, bool hasChosen, const QString& report);
    void retitle();
    // The row that opens a disk image and, for a disk with a partition table, chooses its partition.
    QLayout* makeImageRow(QWidget* tab);
    void reloadImagePartitions();
    // An English page text in the interface language.
    QString text(std::string_view english) const;
    // "Found 3 · Skipped 1" in the interface language.
    QString counts(std::initializer_list<std::pair<std::string_view, std::int64_t>> labelled) const;

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QComboBox* sources_ = nullptr;
    QLabel* sourceDetail_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* chooseFolder_ = nullptr;
    QPushButton* openImage_ = nullptr;
    QComboBox* imagePartitions_ = nullptr;
    QPushButton* scanPartition_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    Section readable_;
    Section deleted_;
    QPushButton* saveDiskImage_ = nullptr;
    QPushButton* deepScan_ = nullptr;
};

}  // namespace tidewell
