#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace tidewell {

class AppModel;

// The outcome of the last user action, shown above the pages while the model's alert is
// up, tinted by its kind; closing it takes the alert down.
class ActionAlertBar : public QFrame {
    Q_OBJECT

public:
    explicit ActionAlertBar(AppModel& model, QWidget* parent = nullptr);

    QLabel* message() const { return message_; }

private:
    void refresh();

    AppModel& model_;
    QLabel* kind_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace tidewell
