#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace tidewell {

class AppModel;

// The cleanup reports, newest first, with a search field; the selected report lists what
// moved to the Trash and what failed.
class HistoryPage : public QWidget {
    Q_OBJECT

public:
    explicit HistoryPage(AppModel& model, QWidget* parent = nullptr);

    QTreeWidget* reports() const { return reports_; }

private:
    void reload();
    void showSelection();
    void retitle();

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QLineEdit* search_ = nullptr;
    QTreeWidget* reports_ = nullptr;
    QLabel* details_ = nullptr;
    QLabel* emptyHint_ = nullptr;
};

}  // namespace tidewell
