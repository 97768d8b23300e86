#pragma once

#include <QWidget>
#include <vector>

#include "cleanup/leftover_group.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tidewell {

class AppModel;

// Files left behind by deleted apps, grouped per app: a filter, a search field, the groups,
// and for the selected group its owner, advice and entries with a check box each.
class LeftoversPage : public QWidget {
    Q_OBJECT

public:
    explicit LeftoversPage(AppModel& model, QWidget* parent = nullptr);

    QTreeWidget* groups() const { return groups_; }

private:
    void reload();
    void showSelection();
    void retitle();
    // Asks before the checked items of `group` move to the Trash.
    void confirmMove(const LeftoverGroup& group, std::vector<CleanupCandidate> checked);

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QPushButton* scan_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* groups_ = nullptr;
    QLabel* groupTitle_ = nullptr;
    QLabel* advice_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    QTreeWidget* entries_ = nullptr;
    QPushButton* move_ = nullptr;
};

}  // namespace tidewell
