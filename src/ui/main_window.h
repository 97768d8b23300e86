#pragma once

#include <QMainWindow>

#include "ui/page_router.h"

namespace tidewell {

class AppModel;
class ContentView;

// The one main window. Closing it only hides it (the application quits then); its frame is
// remembered under "TidewellMainWindow".
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr QSize defaultSize{1260, 740};
    static constexpr QSize minimumWindowSize{1120, 640};

    explicit MainWindow(AppModel& model, PageRouter::PageFactory factory = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    ContentView* content() const { return content_; }
    // Restores the remembered frame; false when there is none.
    bool restoreRememberedFrame();
    void rememberFrame();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ContentView* content_ = nullptr;
};

}  // namespace tidewell
