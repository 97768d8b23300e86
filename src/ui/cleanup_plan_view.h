#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "cleanup/app_info.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tidewell {

class AppModel;

// One app's cleanup plan: its candidates with a check box each (the default selection
// first) and the route each takes, what the package manager would remove with the app, the
// force-quit and administrator options, and the button that carries out the checked items.
// Items the safety policy locks cannot be checked.
class CleanupPlanView : public QWidget {
    Q_OBJECT

public:
    explicit CleanupPlanView(AppModel& model, QWidget* parent = nullptr);

    void setApp(std::optional<AppInfo> app);
    std::vector<CleanupCandidate> checkedCandidates() const;
    QTreeWidget* candidateList() const { return list_; }
    QPushButton* moveButton() const { return move_; }
    QLabel* previewLabel() const { return preview_; }

private:
    void retitle();
    // The rows' texts in the interface language; their check boxes stay as they are.
    void showRowTexts();
    // Asks before the checked items move to the Trash.
    void confirmMove();
    void refreshState();
    // What the package managers answered for this app's plan, when they were asked.
    void showPreview();
    // "apt would remove: a, b" and the refusal; empty until the answer is in.
    QString previewText() const;

    AppModel& model_;
    std::optional<AppInfo> app_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QLabel* runningWarning_ = nullptr;
    QLabel* preview_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QCheckBox* forceQuit_ = nullptr;
    QCheckBox* admin_ = nullptr;
    QPushButton* move_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tidewell
