#pragma once

#include <QWidget>
#include <vector>

#include "cleanup/safe_cleanup_item.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tidewell {

class AppModel;

// Installers, logs and caches that are safe to move to the Trash: a filter, a search field,
// the items with a check box each, the total and the button that moves the checked items.
class SafeCleanupPage : public QWidget {
    Q_OBJECT

public:
    explicit SafeCleanupPage(AppModel& model, QWidget* parent = nullptr);

    QTreeWidget* items() const { return items_; }

private:
    void reload();
    void retitle();
    // Asks before the checked items move to the Trash.
    void confirmMove(std::vector<SafeCleanupItem> checked);

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QPushButton* scan_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTreeWidget* items_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    QPushButton* move_ = nullptr;
};

}  // namespace tidewell
