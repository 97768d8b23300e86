#include "ui/leftovers_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/confirmation_sheet.h"
#include "ui/list_filters.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

namespace {

bool hasKind(const LeftoverGroup& group, LeftoverFilter filter) {
    static constexpr CleanupCandidateKind kinds[] = {
        CleanupCandidateKind::appBundle,  // unused: `all` passes every group
        CleanupCandidateKind::container,          CleanupCandidateKind::groupContainer,
        CleanupCandidateKind::applicationScripts, CleanupCandidateKind::cache,
        CleanupCandidateKind::applicationSupport, CleanupCandidateKind::preferences};
    const CleanupCandidateKind kind = kinds[static_cast<std::size_t>(filter)];
    return std::any_of(group.candidates.begin(), group.candidates.end(),
                       [kind](const CleanupCandidate& candidate) { return candidate.kind == kind; });
}

}  // namespace

LeftoversPage::LeftoversPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    const auto controls = PageParts::addListControls(layout, this, allLeftoverFilterCases.size(), "scanLeftovers",
                                                     [this] { model_.scanLeftovers(); });
    filter_ = controls.filter;
    search_ = controls.search;
    scan_ = controls.scan;
    progress_ = PageParts::busyBar(this);
    layout->addWidget(progress_);

    auto* splitter = new QSplitter(this);
    groups_ = PageParts::treeList(splitter, "leftoverGroups", 4);
    emptyHint_ = PageParts::emptyListHint(groups_);
    auto* inspector = new QWidget(splitter);
    auto* side = new QVBoxLayout(inspector);
    groupTitle_ = new QLabel(inspector);
    QFont bold = groupTitle_->font();
    bold.setBold(true);
    groupTitle_->setFont(bold);
    advice_ = PageParts::note(inspector);
    entries_ = PageParts::treeList(inspector, "leftoverEntries", 4);
    move_ = PageParts::button(inspector, "moveLeftovers", [this] {
        const auto& group = model_.selectedLeftover();
        if (!group) return;
        std::vector<CleanupCandidate> checked = PageParts::checkedItems(entries_, group->candidates);
        if (!checked.empty()) confirmMove(*group, std::move(checked));
    });
    side->addWidget(groupTitle_);
    side->addWidget(advice_);
    side->addWidget(entries_, 1);
    side->addWidget(move_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);

    connect(filter_, &QComboBox::currentIndexChanged, this, &LeftoversPage::reload);
    connect(search_, &QLineEdit::textChanged, this, &LeftoversPage::reload);
    connect(groups_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (!current) return;
        const std::string id = current->data(0, Qt::UserRole).toString().toStdString();
        for (const LeftoverGroup& group : model_.leftovers())
            if (group.id == id) model_.setSelectedLeftover(group);
    });
    for (auto signal :
         {&AppModel::leftoversChanged, &AppModel::isScanningLeftoversChanged, &AppModel::cleanupInProgressChanged})
        connect(&model_, signal, this, &LeftoversPage::reload);
    connect(&model_, &AppModel::selectedLeftoverChanged, this, &LeftoversPage::showSelection);
    connect(&model_, &AppModel::languageChanged, this, &LeftoversPage::retitle);
    retitle();
}

void LeftoversPage::reload() {
    const QSignalBlocker blocker(groups_);
    groups_->clear();
    const auto filter = allLeftoverFilterCases[std::size_t(std::max(0, filter_->currentIndex()))];
    const std::string query = search_->text().toStdString();
    for (const LeftoverGroup& group : applyLeftoverFilter(filter, model_.leftovers(), hasKind)) {
        if (!group.matchesSearch(query)) continue;
        auto* row =
            new QTreeWidgetItem(groups_, {toQString(group.name), toQString(group.totalText()),
                                          toQString(model_.localizedItemCount(std::int64_t(group.candidates.size()))),
                                          PageTexts::shown(model_, group.riskText())});
        row->setData(0, Qt::UserRole, toQString(group.id));
    }
    const bool noneFound = model_.leftovers().empty();
    PageParts::showEmptyListHint(
        emptyHint_, groups_->topLevelItemCount() == 0,
        model_.t(noneFound ? (model_.hasScannedLeftovers() ? "noOrphanLeftoversFound" : "scanAppLeftovers")
                           : "noLeftoversMatch"),
        model_.t(noneFound ? "noOrphanLeftoversHint" : "leftoversSearchHint"));
    PageParts::showProgress(progress_, model_.isScanningLeftovers() || model_.cleanupInProgress());
    scan_->setEnabled(!model_.isScanningLeftovers());
    showSelection();
}

void LeftoversPage::showSelection() {
    entries_->clear();
    const auto& group = model_.selectedLeftover();
    groupTitle_->setText(toQString(group ? group->name : model_.t("selectLeftover")));
    advice_->setText(group ? PageTexts::shown(model_, group->ownerText() + "\n" + group->sourceDetailText() + "\n\n" +
                                                          group->removalAdviceText())
                           : toQString(model_.t("orphanGroupedNote")));
    if (group)
        for (const CleanupCandidate& candidate : group->candidates) {
            // Items of one app share its identifier as their name; their kind (the folder they sit
            // in) tells them apart.
            auto* row = new QTreeWidgetItem(
                entries_, {toQString(candidate.label), PageTexts::shown(model_, rawValue(candidate.kind)),
                           toQString(candidate.sizeText()), toQString(candidate.path)});
            row->setToolTip(0,
                            PageTexts::shown(model_, candidate.evidence.empty() ? candidate.note : candidate.evidence));
            row->setToolTip(3, toQString(candidate.path));
            row->setCheckState(0, candidate.defaultSelected && candidate.isSelectable ? Qt::Checked : Qt::Unchecked);
            if (!candidate.isSelectable) row->setFlags(row->flags() & ~Qt::ItemIsEnabled);
        }
    move_->setEnabled(group.has_value() && !model_.cleanupInProgress());
}

void LeftoversPage::confirmMove(const LeftoverGroup& group, std::vector<CleanupCandidate> checked) {
    ConfirmationSheet::Texts texts;
    texts.title = toQString(model_.t("leftoverReview") + " · " + group.name);
    texts.message = toQString(model_.t("moveTrashRestore"));
    const bool hasContainer = std::any_of(checked.begin(), checked.end(), [](const CleanupCandidate& candidate) {
        return candidate.kind == CleanupCandidateKind::container ||
               candidate.kind == CleanupCandidateKind::groupContainer;
    });
    if (hasContainer) texts.message += "\n" + toQString(model_.t("reviewContainersCarefully"));
    texts.items = PageParts::confirmationItems(model_, checked);
    texts.confirm = toQString(model_.t("moveSelectedToTrash"));
    texts.cancel = toQString(model_.t("cancel"));
    ConfirmationSheet::ask(this, texts, [this, group, checked = std::move(checked)] {
        model_.moveLeftoverCandidatesToTrash(group, checked);
    });
}

void LeftoversPage::retitle() {
    title_->setText(toQString(model_.t("leftovers")));
    subtitle_->setText(toQString(model_.t("leftoversSubtitle")));
    for (std::size_t index = 0; index < allLeftoverFilterCases.size(); ++index)
        filter_->setItemText(int(index), toQString(title(allLeftoverFilterCases[index], model_.language())));
    search_->setPlaceholderText(toQString(model_.t("searchLeftovers")));
    scan_->setText(toQString(model_.t("scanLeftovers")));
    move_->setText(toQString(model_.t("moveSelectedToTrash")));
    groups_->setHeaderLabels({toQString(model_.t("appColumn")), toQString(model_.t("total")),
                              toQString(model_.t("item")), toQString(model_.t("risk"))});
    entries_->setHeaderLabels({toQString(model_.t("item")), toQString(model_.t("type")),
                               toQString(model_.t("sizeColumn")), toQString(model_.t("path"))});
    reload();
}

}  // namespace tidewell
