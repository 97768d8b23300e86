#include "ui/history_page.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cleanup/search_fields.h"
#include "model/app_language.h"
#include "model/app_model.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

namespace {

// English dates read as the search matches them; the other languages use their own short format.
QString dateText(std::chrono::system_clock::time_point date, const std::string& language) {
    const auto chosen = appLanguageFromRawValue(language).value_or(AppLanguage::english);
    if (chosen == AppLanguage::english) return toQString(reportDateText(date));
    const QDateTime local = QDateTime::fromSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::seconds>(date.time_since_epoch()).count());
    return QLocale(toQString(localeName(chosen))).toString(local, QLocale::ShortFormat);
}

}  // namespace

HistoryPage::HistoryPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    search_ = new QLineEdit(this);
    search_->setClearButtonEnabled(true);
    layout->addWidget(search_);
    reports_ = new QTreeWidget(this);
    reports_->setObjectName("reports");
    reports_->setColumnCount(4);
    reports_->setRootIsDecorated(false);
    reports_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(reports_, 2);
    emptyHint_ = PageParts::emptyListHint(reports_);
    details_ = PageParts::note(this);
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(details_, 1);
    connect(search_, &QLineEdit::textChanged, this, &HistoryPage::reload);
    connect(reports_, &QTreeWidget::currentItemChanged, this, &HistoryPage::showSelection);
    connect(&model_, &AppModel::reportsChanged, this, &HistoryPage::reload);
    connect(&model_, &AppModel::languageChanged, this, &HistoryPage::retitle);
    retitle();
}

void HistoryPage::reload() {
    // A new language or search rebuilds the rows; the report shown stays selected when listed.
    const QTreeWidgetItem* current = reports_->currentItem();
    const QVariant selected = current ? current->data(0, Qt::UserRole) : QVariant();
    reports_->clear();
    const std::string query = search_->text().toStdString();
    for (const CleanupReport& report : model_.reports()) {
        if (!report.matchesSearch(query)) continue;
        auto* row = new QTreeWidgetItem(
            reports_, {dateText(report.date, model_.language()), PageTexts::shown(model_, report.appName),
                       PageTexts::shown(model_, report.statusText()), toQString(report.recoveredText())});
        row->setData(0, Qt::UserRole, toQString(report.id));
        if (row->data(0, Qt::UserRole) == selected) reports_->setCurrentItem(row);
    }
    const bool noReports = model_.reports().empty();
    PageParts::showEmptyListHint(emptyHint_, reports_->topLevelItemCount() == 0,
                                 model_.t(noReports ? "noReports" : "noHistoryMatch"),
                                 model_.t(noReports ? "noReportsHint" : "historySearchHint"));
    if (!reports_->currentItem()) details_->clear();
}

void HistoryPage::showSelection() {
    QTreeWidgetItem* current = reports_->currentItem();
    if (!current) return;
    const std::string id = current->data(0, Qt::UserRole).toString().toStdString();
    for (const CleanupReport& report : model_.reports()) {
        if (report.id != id) continue;
        // Items are labels ("Flatpak data") and failures ("Remove Inkwell: <why>"), read one by one.
        const auto item = [&](const std::string& text) {
            return "  " + PageTexts::text(text, model_.language()) + "\n";
        };
        std::string text = model_.t("moved") + ":\n";
        for (const std::string& moved : report.movedItems) text += item(moved);
        if (!report.failedItems.empty()) text += model_.t("failed") + ":\n";
        for (const std::string& failed : report.failedItems) text += item(failed);
        details_->setText(toQString(text));
    }
}

void HistoryPage::retitle() {
    title_->setText(toQString(PageTexts::title(SidebarItem::history, model_.language())));
    subtitle_->setText(toQString(model_.t("historySubtitle")));
    search_->setPlaceholderText(toQString(model_.t("searchHistory")));
    reports_->setHeaderLabels({PageTexts::shown(model_, "Date"), toQString(model_.t("appColumn")),
                               toQString(model_.t("statusColumn")), toQString(model_.t("total"))});
    reload();
}

}  // namespace tidewell
