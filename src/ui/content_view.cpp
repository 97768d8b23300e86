#include "ui/content_view.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/action_alert_bar.h"
#include "ui/confirmation_sheet.h"
#include "ui/qt_text.h"
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
    connect(&model, &AppModel::showSelfUninstallConfirmChanged, this, [this, &model] { askSelfUninstall(model); });
}

void ContentView::askSelfUninstall(AppModel& model) {
    if (!model.showSelfUninstallConfirm() || uninstallSheet_) return;
    ConfirmationSheet::Texts texts;
    texts.title = toQString(model.t("confirmUninstall"));
    texts.message = toQString(model.t("uninstallMessage"));
    texts.confirm = toQString(model.t("moveTidewellTrash"));
    texts.cancel = toQString(model.t("cancel"));
    uninstallSheet_ = ConfirmationSheet::ask(
        this, texts,
        [&model] {
            model.setShowSelfUninstallConfirm(false);
            model.selfUninstall();
        },
        [&model] { model.setShowSelfUninstallConfirm(false); });
}

}  // namespace tidewell
