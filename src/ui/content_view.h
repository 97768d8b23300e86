#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/page_router.h"

class QMessageBox;

namespace tidewell {

class AppModel;
class SidebarView;

// The root of the main window: the sidebar on the left, the routed page on the right, and
// the self-uninstall question when the model asks for it.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(AppModel& model, PageRouter::PageFactory factory = {}, QWidget* parent = nullptr);

    SidebarView* sidebar() const { return sidebar_; }
    PageRouter* router() const { return router_; }

private:
    // Asks before this application moves itself to the Trash, while the model wants it.
    void askSelfUninstall(AppModel& model);

    SidebarView* sidebar_ = nullptr;
    PageRouter* router_ = nullptr;
    QPointer<QMessageBox> uninstallSheet_;
};

}  // namespace tidewell
