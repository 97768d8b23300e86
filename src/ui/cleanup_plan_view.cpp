#include "ui/cleanup_plan_view.h"

#include <QCheckBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/confirmation_sheet.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "util/text_helpers.h"

namespace tidewell {

CleanupPlanView::CleanupPlanView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    title_ = new QLabel(this);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    subtitle_ = PageParts::note(this);
    runningWarning_ = PageParts::note(this);
    preview_ = PageParts::note(this);
    preview_->setObjectName("cleanupPlanPreview");
    list_ = PageParts::treeList(this, "cleanupCandidates", 5);
    forceQuit_ = new QCheckBox(this);
    admin_ = new QCheckBox(this);
    move_ = PageParts::button(this, "moveSelectedToTrash", [this] { confirmMove(); });
    progress_ = PageParts::busyBar(this);
    status_ = PageParts::note(this);
    for (QWidget* widget : std::initializer_list<QWidget*>{title_, subtitle_, runningWarning_, list_, preview_,
                                                           forceQuit_, admin_, move_, progress_, status_})
        layout->addWidget(widget);
    connect(&model_, &AppModel::languageChanged, this, &CleanupPlanView::retitle);
    connect(&model_, &AppModel::cleanupInProgressChanged, this, &CleanupPlanView::refreshState);
    connect(&model_, &AppModel::cleanupStatusTextChanged, this, &CleanupPlanView::refreshState);
    connect(&model_, &AppModel::cleanupPlanPreviewChanged, this, &CleanupPlanView::showPreview);
    retitle();
}

void CleanupPlanView::setApp(std::optional<AppInfo> app) {
    app_ = std::move(app);
    list_->clear();
    if (app_) {
        for (const CleanupCandidate& candidate : app_->cleanupCandidates) {
            auto* row = new QTreeWidgetItem(list_);
            row->setCheckState(0, candidate.isSelectable && candidate.defaultSelected ? Qt::Checked : Qt::Unchecked);
            if (!candidate.isSelectable) row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable & ~Qt::ItemIsEnabled);
        }
    }
    showRowTexts();
    showPreview();
    refreshState();
    if (app_) model_.previewCleanupPlan(*app_);
}

QString CleanupPlanView::previewText() const {
    const auto& answer = model_.cleanupPlanPreview();
    if (!app_ || !answer || answer->first != app_->id) return {};
    const RemovalPreview& preview = answer->second;
    QString text;
    if (!preview.packages.empty())
        text = PageTexts::shown(model_, "apt would remove: " + text_helpers::joined(preview.packages, ", "));
    if (preview.refusal) text += (text.isEmpty() ? "" : "\n") + PageTexts::shown(model_, *preview.refusal);
    return text;
}

void CleanupPlanView::showPreview() {
    const QString text = previewText();
    preview_->setText(text);
    preview_->setVisible(!text.isEmpty());
}

void CleanupPlanView::showRowTexts() {
    for (int index = 0; app_ && index < list_->topLevelItemCount(); ++index) {
        const CleanupCandidate& candidate = app_->cleanupCandidates[std::size_t(index)];
        QTreeWidgetItem* row = list_->topLevelItem(index);
        row->setText(0, PageTexts::shown(model_, candidate.label));
        row->setText(1, toQString(candidate.sizeText()));
        row->setText(2, PageTexts::shown(model_, rawValue(candidate.safetyLevel)));
        row->setText(3, PageTexts::shown(model_, rawValue(candidate.route)));
        row->setText(4, toQString(candidate.path));
        row->setToolTip(0, PageTexts::shown(model_, candidate.evidence));
        row->setToolTip(3, PageTexts::shown(model_, candidate.note));
    }
}

std::vector<CleanupCandidate> CleanupPlanView::checkedCandidates() const {
    if (!app_) return {};
    return PageParts::checkedItems(list_, app_->cleanupCandidates);
}

void CleanupPlanView::confirmMove() {
    std::vector<CleanupCandidate> checked = checkedCandidates();
    if (!app_ || checked.empty()) return;
    ConfirmationSheet::Texts texts;
    texts.title = toQString(app_->name);
    texts.message = toQString(model_.t("moveTrashRestore"));
    if (app_->isRunning) texts.message += "\n" + toQString(model_.t("appRunningWarning"));
    if (const QString preview = previewText(); !preview.isEmpty()) texts.message += "\n" + preview;
    texts.items = PageParts::confirmationItems(model_, checked);
    texts.confirm = toQString(model_.t("moveSelectedToTrash"));
    texts.cancel = toQString(model_.t("cancel"));
    ConfirmationSheet::ask(
        this, texts,
        [this, app = *app_, checked = std::move(checked), forceQuit = forceQuit_->isChecked(),
         admin = admin_->isChecked()] { model_.moveCleanupCandidatesToTrash(app, checked, forceQuit, admin); });
}

void CleanupPlanView::retitle() {
    title_->setText(toQString(model_.t("appCleanupPlan")));
    subtitle_->setText(toQString(model_.t("appPlanSubtitle")));
    runningWarning_->setText(toQString(model_.t("appRunningWarning")));
    list_->setHeaderLabels({toQString(model_.t("item")), toQString(model_.t("sizeColumn")),
                            toQString(model_.t("decision")), PageTexts::shown(model_, "Route"),
                            toQString(model_.t("path"))});
    forceQuit_->setText(toQString(model_.t("allowForceQuit")));
    forceQuit_->setToolTip(toQString(model_.t("forceQuitSubtitle")));
    admin_->setText(toQString(model_.t("allowAdmin")));
    admin_->setToolTip(toQString(model_.t("adminSubtitle")));
    move_->setText(toQString(model_.t("moveSelectedToTrash")));
    showRowTexts();
    refreshState();
}

void CleanupPlanView::refreshState() {
    runningWarning_->setVisible(app_ && app_->isRunning);
    forceQuit_->setVisible(app_ && app_->isRunning);
    move_->setEnabled(app_ && !app_->isProtected && !model_.cleanupInProgress());
    PageParts::showProgress(progress_, model_.cleanupInProgress());
    status_->setText(PageTexts::shown(model_, model_.cleanupStatusText().value_or("")));
    showPreview();
}

}  // namespace tidewell
