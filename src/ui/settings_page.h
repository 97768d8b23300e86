#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;

namespace tidewell {

class AppModel;

// The interface language (five languages), the fixed cleanup defaults, whether the privileged
// helper answers, the diagnostic export and the uninstall of this application.
class SettingsPage : public QWidget {
    Q_OBJECT

public:
    explicit SettingsPage(AppModel& model, QWidget* parent = nullptr);

    QComboBox* languagePicker() const { return language_; }
    QPushButton* exportButton() const { return export_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void retitle();
    void showHelperStatus();

    AppModel& model_;
    // Whether the helper answered when the page was last shown; asked only then, as the
    // question waits on a socket.
    bool helperRunning_ = false;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QLabel* languageCaption_ = nullptr;
    QComboBox* language_ = nullptr;
    QLabel* cleanupCaption_ = nullptr;
    QLabel* cleanupValue_ = nullptr;
    QLabel* telemetryCaption_ = nullptr;
    QLabel* telemetryValue_ = nullptr;
    QLabel* protectedCaption_ = nullptr;
    QLabel* protectedValue_ = nullptr;
    QLabel* developerCaption_ = nullptr;
    QLabel* developerValue_ = nullptr;
    QLabel* helperCaption_ = nullptr;
    QLabel* helperValue_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* uninstall_ = nullptr;
};

}  // namespace tidewell
