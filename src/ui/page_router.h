#pragma once

#include <QStackedWidget>
#include <array>
#include <functional>
#include <optional>

#include "model/sidebar_item.h"

namespace tidewell {

class AppModel;

// The detail area: exactly one page per sidebar item, the one of the model's selection.
class PageRouter : public QStackedWidget {
    Q_OBJECT

public:
    // Makes the page of an item; a null result (or no factory) gives the built-in page.
    using PageFactory = std::function<QWidget*(AppModel&, SidebarItem)>;

    explicit PageRouter(AppModel& model, PageFactory factory = {}, QWidget* parent = nullptr);

    QWidget* page(SidebarItem item) const { return pages_[static_cast<std::size_t>(item)]; }
    // The item whose page is shown; none when nothing is selected.
    std::optional<SidebarItem> shownItem() const;

private:
    void route();

    AppModel& model_;
    std::array<QWidget*, allSidebarItemCases.size()> pages_{};
    QWidget* emptyPage_ = nullptr;
};

}  // namespace tidewell
