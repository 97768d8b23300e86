#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tidewell {

class AppModel;

// The analysis overview: the headline figures of the last scan, the largest and the most
// memory-hungry apps, and the rescan button.
class OverviewPage : public QWidget {
    Q_OBJECT

public:
    explicit OverviewPage(AppModel& model, QWidget* parent = nullptr);

    QLabel* figure(int index) const { return figures_[index]; }

private:
    void reload();
    void retitle();

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QPushButton* rescan_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* captions_[4] = {};
    QLabel* figures_[4] = {};
    QLabel* diskTitle_ = nullptr;
    QLabel* memoryTitle_ = nullptr;
    QListWidget* diskLeaders_ = nullptr;
    QListWidget* memoryLeaders_ = nullptr;
    QLabel* trust_ = nullptr;
};

}  // namespace tidewell
