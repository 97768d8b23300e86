#include "ui/page_router.h"

#include "model/app_model.h"
#include "ui/app_list_page.h"
#include "ui/app_plan_page.h"
#include "ui/history_page.h"
#include "ui/home_page.h"
#include "ui/leftovers_page.h"
#include "ui/overview_page.h"
#include "ui/recovery_page.h"
#include "ui/repair_page.h"
#include "ui/safe_cleanup_page.h"
#include "ui/settings_page.h"

namespace tidewell {

namespace {

QWidget* builtInPage(AppModel& model, SidebarItem item) {
    switch (item) {
        case SidebarItem::home:
            return new HomePage(model);
        case SidebarItem::overview:
            return new OverviewPage(model);
        case SidebarItem::repair:
            return new RepairPage(model);
        case SidebarItem::recovery:
            return new RecoveryPage(model);
        case SidebarItem::apps:
        case SidebarItem::disk:
        case SidebarItem::memory:
            return new AppListPage(model, item);
        case SidebarItem::installers:
            return new SafeCleanupPage(model);
        case SidebarItem::leftovers:
            return new LeftoversPage(model);
        case SidebarItem::stubborn:
        case SidebarItem::cleanupPlans:
            return new AppPlanPage(model, item);
        case SidebarItem::history:
            return new HistoryPage(model);
        case SidebarItem::settings:
            return new SettingsPage(model);
    }
    return new QWidget;
}

}  // namespace

PageRouter::PageRouter(AppModel& model, PageFactory factory, QWidget* parent) : QStackedWidget(parent), model_(model) {
    for (SidebarItem item : allSidebarItemCases) {
        QWidget* made = factory ? factory(model_, item) : nullptr;
        QWidget* shown = made != nullptr ? made : builtInPage(model_, item);
        pages_[static_cast<std::size_t>(item)] = shown;
        addWidget(shown);
    }
    emptyPage_ = new QWidget(this);
    addWidget(emptyPage_);
    connect(&model_, &AppModel::selectionChanged, this, &PageRouter::route);
    route();
}

std::optional<SidebarItem> PageRouter::shownItem() const {
    for (SidebarItem item : allSidebarItemCases)
        if (currentWidget() == page(item)) return item;
    return std::nullopt;
}

void PageRouter::route() {
    auto selected = model_.selectedSidebarItem();
    setCurrentWidget(selected ? page(*selected) : emptyPage_);
}

}  // namespace tidewell
