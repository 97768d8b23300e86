#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "cleanup/app_info.h"
#include "model/sidebar_item.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSortFilterProxyModel;
class QTableView;

namespace tidewell {

class AppModel;
class AppTableModel;
class CleanupPlanView;

// The list page over a set of apps (all apps, the disk leaders or the memory leaders): a
// filter, a search field, a sortable table and an inspector with the selected app's usage
// summary and cleanup plan.
class AppListPage : public QWidget {
    Q_OBJECT

public:
    // `item` is apps, disk or memory; it picks the list, the title and the subtitle.
    AppListPage(AppModel& model, SidebarItem item, QWidget* parent = nullptr);

    QComboBox* filterPicker() const { return filter_; }
    QLineEdit* searchField() const { return search_; }
    QTableView* table() const { return table_; }
    // The app names in the order the table shows them.
    QStringList shownNames() const;

private:
    std::vector<AppInfo> sourceApps() const;
    void reload();
    void retitle();
    void showSelection();

    AppModel& model_;
    SidebarItem item_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QComboBox* filter_ = nullptr;
    QLineEdit* search_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* scanStatus_ = nullptr;
    QTableView* table_ = nullptr;
    AppTableModel* rows_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QLabel* inspectorTitle_ = nullptr;
    QLabel* usage_ = nullptr;
    QLabel* details_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    CleanupPlanView* plan_ = nullptr;
};

}  // namespace tidewell
