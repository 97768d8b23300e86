#pragma once

#include <QWidget>

#include "model/sidebar_item.h"

class QLabel;

namespace tidewell {

class AppModel;

// A page that shows only the title of its sidebar item, until the item's own page exists.
class PlaceholderPage : public QWidget {
    Q_OBJECT

public:
    PlaceholderPage(AppModel& model, SidebarItem item, QWidget* parent = nullptr);

private:
    void retitle();

    AppModel& model_;
    SidebarItem item_;
    QLabel* title_ = nullptr;
};

}  // namespace tidewell
