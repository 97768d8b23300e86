#include "ui/safe_cleanup_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cleanup/safe_cleanup_item_search.h"
#include "model/app_model.h"
#include "ui/confirmation_sheet.h"
#include "ui/list_filters.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "util/byte_size_text.h"

namespace tidewell {

namespace {

bool isInCategory(const SafeCleanupItem& item, SafeCleanupFilter filter) {
    switch (filter) {
        case SafeCleanupFilter::installers:
            return item.category == SafeCleanupItem::Category::installers;
        case SafeCleanupFilter::logs:
            return item.category == SafeCleanupItem::Category::logs;
        case SafeCleanupFilter::caches:
            return item.category == SafeCleanupItem::Category::caches;
        case SafeCleanupFilter::all:
            return true;
    }
    return true;
}

}  // namespace

SafeCleanupPage::SafeCleanupPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    const auto controls = PageParts::addListControls(layout, this, allSafeCleanupFilterCases.size(), "scanSafeCleanup",
                                                     [this] { model_.scanSafeCleanup(); });
    filter_ = controls.filter;
    search_ = controls.search;
    scan_ = controls.scan;
    progress_ = PageParts::busyBar(this);
    layout->addWidget(progress_);
    items_ = new QTreeWidget(this);
    items_->setObjectName("safeCleanupItems");
    items_->setColumnCount(4);
    items_->setRootIsDecorated(false);
    items_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(items_, 1);
    emptyHint_ = PageParts::emptyListHint(items_);
    auto* footer = new QHBoxLayout;
    total_ = new QLabel(this);
    move_ = PageParts::button(this, "moveSafeCleanupItems", [this] {
        std::vector<SafeCleanupItem> checked;
        for (int row = 0; row < items_->topLevelItemCount(); ++row) {
            QTreeWidgetItem* shown = items_->topLevelItem(row);
            if (shown->checkState(0) != Qt::Checked) continue;
            const std::string id = shown->data(0, Qt::UserRole).toString().toStdString();
            for (const SafeCleanupItem& item : model_.safeCleanupItems())
                if (item.id == id) checked.push_back(item);
        }
        if (!checked.empty()) confirmMove(std::move(checked));
    });
    footer->addWidget(total_, 1);
    footer->addWidget(move_);
    layout->addLayout(footer);

    connect(filter_, &QComboBox::currentIndexChanged, this, &SafeCleanupPage::reload);
    connect(search_, &QLineEdit::textChanged, this, &SafeCleanupPage::reload);
    for (auto signal : {&AppModel::safeCleanupItemsChanged, &AppModel::isScanningSafeCleanupChanged,
                        &AppModel::cleanupInProgressChanged})
        connect(&model_, signal, this, &SafeCleanupPage::reload);
    connect(&model_, &AppModel::languageChanged, this, &SafeCleanupPage::retitle);
    retitle();
}

void SafeCleanupPage::reload() {
    items_->clear();
    const auto filter = allSafeCleanupFilterCases[std::size_t(std::max(0, filter_->currentIndex()))];
    const std::string query = search_->text().toStdString();
    for (const SafeCleanupItem& item : applySafeCleanupFilter(filter, model_.safeCleanupItems(), isInCategory)) {
        if (!matchesSearch(item, query)) continue;
        auto* row = new QTreeWidgetItem(items_, {toQString(item.name), PageTexts::shown(model_, title(item.category)),
                                                 toQString(item.sizeText()), toQString(item.path)});
        row->setData(0, Qt::UserRole, toQString(item.id));
        row->setToolTip(0, PageTexts::shown(model_, item.note));
        row->setCheckState(0, Qt::Checked);
    }
    const bool nothingScanned = model_.safeCleanupItems().empty();
    PageParts::showEmptyListHint(emptyHint_, items_->topLevelItemCount() == 0,
                                 model_.t(nothingScanned ? "scanSafeCleanupItems" : "nothingMatchesCleanup"),
                                 model_.t(nothingScanned ? "safeScanHint" : "tryAnotherType"));
    total_->setText(toQString(model_.t("total") + ": " + tidewellString(model_.safeCleanupBytes()) + " · " +
                              model_.localizedItemCount(std::int64_t(model_.safeCleanupItems().size()))));
    PageParts::showProgress(progress_, model_.isScanningSafeCleanup() || model_.cleanupInProgress());
    scan_->setEnabled(!model_.isScanningSafeCleanup());
    move_->setEnabled(items_->topLevelItemCount() > 0 && !model_.cleanupInProgress());
}

void SafeCleanupPage::confirmMove(std::vector<SafeCleanupItem> checked) {
    ConfirmationSheet::Texts texts;
    texts.title = toQString(model_.t("confirmSafeCleanup"));
    texts.message = toQString(model_.t("moveTrashRestore") + "\n" + model_.t("cleanupScopeNote"));
    for (const SafeCleanupItem& item : checked) texts.items << toQString(item.name + " · " + item.sizeText());
    texts.confirm = toQString(model_.t("moveToTrash"));
    texts.cancel = toQString(model_.t("cancel"));
    ConfirmationSheet::ask(this, texts,
                           [this, checked = std::move(checked)] { model_.moveSafeCleanupItemsToTrash(checked); });
}

void SafeCleanupPage::retitle() {
    title_->setText(toQString(model_.t("safeCleanup")));
    subtitle_->setText(toQString(model_.t("safeSubtitle")));
    for (std::size_t index = 0; index < allSafeCleanupFilterCases.size(); ++index)
        filter_->setItemText(int(index), toQString(title(allSafeCleanupFilterCases[index], model_.language())));
    search_->setPlaceholderText(toQString(model_.t("searchSafe")));
    scan_->setText(toQString(model_.t("scanSafeCleanupItems")));
    move_->setText(toQString(model_.t("moveSelectedToTrash")));
    items_->setHeaderLabels({toQString(model_.t("item")), toQString(model_.t("type")),
                             toQString(model_.t("sizeColumn")), toQString(model_.t("path"))});
    reload();
}

}  // namespace tidewell
