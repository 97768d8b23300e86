#pragma once

#include <QWidget>

#include <vector>

#include "cleanup/app_info.h"
#include "model/sidebar_item.h"

class QLabel;
class QListWidget;

namespace tidewell {

class AppModel;
class CleanupPlanView;

// A list of apps beside the selected app's cleanup plan: the running apps (stubborn) or every
// third-party app with a plan (cleanupPlans).
class AppPlanPage : public QWidget {
    Q_OBJECT

public:
    AppPlanPage(AppModel& model, SidebarItem item, QWidget* parent = nullptr);

    QListWidget* appList() const { return list_; }
    CleanupPlanView* plan() const { return plan_; }

private:
    std::vector<AppInfo> listedApps() const;
    void reload();
    void retitle();

    AppModel& model_;
    SidebarItem item_;
    std::vector<AppInfo> listed_;  // the apps of the list's rows, as of the last reload
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QListWidget* list_ = nullptr;
    CleanupPlanView* plan_ = nullptr;
};

}  // namespace tidewell
