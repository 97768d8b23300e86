#include "ui/content_view.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/action_alert_bar.h"
#include "ui/sidebar_view.h"

namespace tidewell {

namespace {
constexpr int sidebarWidth = 260;
}

ContentView::ContentView(AppModel& model, PageRouter::PageFactory factory, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    sidebar_ = new SidebarView(model, this);
    sidebar_->setFixedWidth(sidebarWidth);
    router_ = new PageRouter(model, std::move(factory), this);
    layout->addWidget(sidebar_);
    auto* detail = new QVBoxLayout;
    detail->addWidget(new ActionAlertBar(model, this));
    detail->addWidget(router_, 1);
    layout->addLayout(detail, 1);
}

}  // namespace tidewell
