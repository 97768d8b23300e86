#pragma once

#include <QWidget>

#include "ui/page_router.h"

namespace tidewell {

class AppModel;
class SidebarView;

// The root of the main window: the sidebar on the left, the routed page on the right.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(AppModel& model, PageRouter::PageFactory factory = {}, QWidget* parent = nullptr);

    SidebarView* sidebar() const { return sidebar_; }
    PageRouter* router() const { return router_; }

private:
    SidebarView* sidebar_ = nullptr;
    PageRouter* router_ = nullptr;
};

}  // namespace tidewell
