#include "ui/app_plan_page.h"

#include <QListWidget>
#include <QSplitter>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/cleanup_plan_view.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

AppPlanPage::AppPlanPage(AppModel& model, SidebarItem item, QWidget* parent)
    : QWidget(parent), model_(model), item_(item) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    auto* splitter = new QSplitter(this);
    list_ = new QListWidget(splitter);
    list_->setObjectName("planApps");
    plan_ = new CleanupPlanView(model_, splitter);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && std::size_t(row) < listed_.size()) plan_->setApp(listed_[std::size_t(row)]);
    });
    connect(&model_, &AppModel::appsChanged, this, &AppPlanPage::reload);
    connect(&model_, &AppModel::languageChanged, this, &AppPlanPage::retitle);
    retitle();
}

std::vector<AppInfo> AppPlanPage::listedApps() const {
    if (item_ == SidebarItem::stubborn) return model_.stubbornApps();
    std::vector<AppInfo> planned;
    for (AppInfo& app : model_.thirdPartyApps())
        if (!app.cleanupCandidates.empty()) planned.push_back(std::move(app));
    return planned;
}

void AppPlanPage::reload() {
    const QSignalBlocker blocker(list_);
    list_->clear();
    listed_ = listedApps();
    for (const AppInfo& app : listed_)
        list_->addItem(item_ == SidebarItem::stubborn ? toQString(app.name + " — " + app.memoryText() + " · ") +
                                                            PageTexts::shown(model_, app.statusText())
                                                      : toQString(app.name + " — " + app.totalDiskText()));
    if (listed_.empty()) {
        list_->addItem(toQString(model_.t(item_ == SidebarItem::stubborn ? "noRunningApps" : "noAppsFound")));
        plan_->setApp(std::nullopt);
    } else {
        list_->setCurrentRow(0);
        plan_->setApp(listed_.front());
    }
}

void AppPlanPage::retitle() {
    title_->setText(toQString(PageTexts::title(item_, model_.language())));
    subtitle_->setText(toQString(model_.t(item_ == SidebarItem::stubborn ? "memorySubtitle" : "appPlanSubtitle")));
    reload();
}

}  // namespace tidewell
