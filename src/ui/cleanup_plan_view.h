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
// first), the force-quit and administrator options, and the button that moves the checked
// items to the Trash. Items the safety policy locks cannot be checked.
class CleanupPlanView : public QWidget {
    Q_OBJECT

public:
    explicit CleanupPlanView(AppModel& model, QWidget* parent = nullptr);

    void setApp(std::optional<AppInfo> app);
    std::vector<CleanupCandidate> checkedCandidates() const;
    QTreeWidget* candidateList() const { return list_; }
    QPushButton* moveButton() const { return move_; }

private:
    void retitle();
    // The rows' texts in the interface language; their check boxes stay as they are.
    void showRowTexts();
    // Asks before the checked items move to the Trash.
    void confirmMove();
    void refreshState();

    AppModel& model_;
    std::optional<AppInfo> app_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QLabel* runningWarning_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QCheckBox* forceQuit_ = nullptr;
    QCheckBox* admin_ = nullptr;
    QPushButton* move_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tidewell
