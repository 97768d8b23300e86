#include "ui/app_list_page.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "cleanup/search_fields.h"
#include "model/app_model.h"
#include "ui/app_table_model.h"
#include "ui/cleanup_plan_view.h"
#include "ui/list_filters.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

namespace {

AppFilterFacts factsOf(const AppInfo& app) {
    const auto level = app.usageSummary().level;
    return {.isProtected = app.isProtected,
            .totalDiskBytes = app.totalDiskBytes(),
            .isRarelyUsedOrUnused =
                level == UsageSummary::Level::rarelyUsed || level == UsageSummary::Level::probablyUnused,
            .isRunning = app.isRunning,
            .hasStartupItems = !app.launchAgents.empty()};
}

QWidget* makeInspector(QWidget* parent, QLabel*& title, QLabel*& usage, QLabel*& details, CleanupPlanView* plan) {
    auto* inspector = new QWidget(parent);
    inspector->setObjectName("appInspector");
    auto* layout = new QVBoxLayout(inspector);
    title = new QLabel(inspector);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    title->setFont(font);
    usage = new QLabel(inspector);
    usage->setWordWrap(true);
    details = PageParts::note(inspector);
    details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    plan->setParent(inspector);
    layout->addWidget(title);
    layout->addWidget(usage);
    layout->addWidget(details);
    layout->addWidget(plan, 1);
    return inspector;
}

}  // namespace

AppListPage::AppListPage(AppModel& model, SidebarItem item, QWidget* parent)
    : QWidget(parent), model_(model), item_(item) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;

    const auto controls = PageParts::addListControls(layout, this, allAppFilterCases.size(), nullptr, {});
    filter_ = controls.filter;
    filter_->setObjectName("appFilter");
    search_ = controls.search;
    search_->setObjectName("appSearch");
    progress_ = PageParts::busyBar(this);
    scanStatus_ = PageParts::note(this);
    layout->addWidget(progress_);
    layout->addWidget(scanStatus_);

    rows_ = new AppTableModel(model_, this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(rows_);
    sorted_->setSortRole(AppTableModel::sortRole);
    table_ = new QTableView(this);
    table_->setObjectName("appTable");
    table_->setModel(sorted_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(AppTableModel::appColumn, QHeaderView::Stretch);
    emptyHint_ = PageParts::emptyListHint(table_);

    plan_ = new CleanupPlanView(model_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(table_);
    splitter->addWidget(makeInspector(splitter, inspectorTitle_, usage_, details_, plan_));
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    connect(filter_, &QComboBox::currentIndexChanged, this, &AppListPage::reload);
    connect(search_, &QLineEdit::textChanged, this, &AppListPage::reload);
    connect(&model_, &AppModel::appsChanged, this, &AppListPage::reload);
    connect(&model_, &AppModel::isScanningChanged, this, &AppListPage::reload);
    connect(&model_, &AppModel::languageChanged, this, &AppListPage::retitle);
    connect(&model_, &AppModel::selectedAppChanged, this, &AppListPage::showSelection);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) model_.setSelectedApp(rows_->app(sorted_->mapToSource(current).row()));
            });
    retitle();
    reload();
}

std::vector<AppInfo> AppListPage::sourceApps() const {
    if (item_ == SidebarItem::disk) return model_.diskLeaders();
    if (item_ == SidebarItem::memory) return model_.memoryLeaders();
    return model_.apps();
}

QStringList AppListPage::shownNames() const {
    QStringList names;
    for (int row = 0; row < sorted_->rowCount(); ++row) names << sorted_->index(row, 0).data().toString();
    return names;
}

void AppListPage::reload() {
    const auto filter = allAppFilterCases[std::size_t(std::max(0, filter_->currentIndex()))];
    std::vector<AppInfo> shown;
    const std::string query = search_->text().toStdString();
    for (AppInfo& app : applyAppFilter(filter, sourceApps(), factsOf))
        if (matchesSearch(app, query)) shown.push_back(std::move(app));
    const bool noneShown = shown.empty();
    rows_->setApps(std::move(shown));
    PageParts::showEmptyListHint(emptyHint_, noneShown && !model_.isScanning(),
                                 model_.t(model_.apps().empty() ? "noAppsFound" : "noAppsToShow"),
                                 model_.t("noAppsHint"));
    PageParts::showProgress(progress_, model_.isScanning());
    scanStatus_->setText(PageTexts::shown(model_, model_.scanStatusText().value_or("")));
    scanStatus_->setVisible(model_.isScanning());
    showSelection();
}

void AppListPage::retitle() {
    if (item_ == SidebarItem::disk) {
        title_->setText(toQString(model_.t("diskUsage")));
        subtitle_->setText(toQString(model_.t("diskSubtitle")));
    } else if (item_ == SidebarItem::memory) {
        title_->setText(toQString(model_.t("memory")));
        subtitle_->setText(toQString(model_.t("memorySubtitle")));
    } else {
        title_->setText(toQString(model_.t("apps")));
        subtitle_->setText(toQString(model_.t("appsSubtitle")));
    }
    for (std::size_t index = 0; index < allAppFilterCases.size(); ++index)
        filter_->setItemText(int(index), toQString(title(allAppFilterCases[index], model_.language())));
    search_->setPlaceholderText(toQString(model_.t("searchApps")));
    rows_->retitle();
    reload();
}

void AppListPage::showSelection() {
    const auto& app = model_.selectedApp();
    inspectorTitle_->setText(toQString(app ? app->name : model_.t("selectApp")));
    usage_->clear();
    details_->clear();
    if (app) {
        const UsageSummary summary = app->usageSummary();
        usage_->setText(QStringLiteral("<b>%1</b> — %2")
                            .arg(PageTexts::shown(model_, rawValue(summary.level)).toHtmlEscaped(),
                                 PageTexts::shown(model_, summary.reason).toHtmlEscaped()));
        details_->setText(toQString(app->bundleIdentifier + "  ·  " + app->version + "\n" + app->path + "\n" +
                                    app->sizeText() + " + " + app->relatedText() + "  ·  ") +
                          PageTexts::shown(model_, app->statusText()));
    }
    plan_->setApp(app);
}

}  // namespace tidewell
