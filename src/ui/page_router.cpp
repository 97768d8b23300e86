#include "ui/page_router.h"

#include "model/app_model.h"
#include "ui/home_page.h"
#include "ui/placeholder_page.h"

namespace tidewell {

namespace {

QWidget* builtInPage(AppModel& model, SidebarItem item) {
    if (item == SidebarItem::home) return new HomePage(model);
    return new PlaceholderPage(model, item);
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
