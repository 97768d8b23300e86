#include "ui/repair_page.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMimeData>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/preview_tiles.h"
#include "ui/qt_text.h"
#include "util/byte_size_text.h"
#include "util/relative_date_text.h"

namespace tidewell {

namespace {

// Tool output (unzip's messages) spans lines: the findings list shows it as one tidy line
// and keeps the whole text for the tooltip.
constexpr qsizetype kLongestFindingLine = 160;

QString oneLine(const QString& text) {
    const QString line = text.simplified();
    return line.size() <= kLongestFindingLine ? line : line.left(kLongestFindingLine - 1) + QStringLiteral("…");
}

}  // namespace

RepairPage::RepairPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;

    choose_ = PageParts::button(this, "chooseFileToRepair", [this] {
        model_.setSelectedProductModule(ProductModule::repair);
        model_.setSelectedSidebarItem(SidebarItem::repair);
        model_.chooseRepairFile();
    });
    remove_ = PageParts::button(this, "removeRepairJob", [this] {
        if (auto job = model_.selectedRepairJob()) model_.removeRepairJob(*job);
    });
    exportCopy_ = PageParts::button(this, "exportRepairCopy", [this] { model_.exportRepairCopy(); });
    rebuild_ = PageParts::button(this, "rebuildFromReference", [this] { model_.rebuildRepairCopyFromReference(); });
    extract_ = PageParts::button(this, "extractContents", [this] { model_.extractReadableRepairContents(); });
    exportAll_ = PageParts::button(this, "exportAll", [this] { model_.exportAllRepairableCopies(); });
    cancel_ = PageParts::button(this, "cancelRepair", [this] { model_.cancelRepair(); });
    queue_ = PageParts::treeList(this, "repairQueue", 3);
    findings_ = PageParts::treeList(this, "repairFindings", 3);
    history_ = PageParts::treeList(this, "repairHistory", 4);
    selectedTitle_ = new QLabel(this);
    QFont bold = selectedTitle_->font();
    bold.setBold(true);
    selectedTitle_->setFont(bold);
    recommendation_ = PageParts::note(this);
    preview_ = new PreviewTiles(this);
    toolNotes_ = PageParts::note(this);
    toolNotes_->setObjectName("repairToolNotes");
    progress_ = PageParts::busyBar(this);
    status_ = PageParts::note(this);
    historyTitle_ = new QLabel(this);
    historyTitle_->setFont(bold);
    reveal_ = PageParts::button(this, "revealOutput", [this] {
        const int row = history_->currentIndex().row();
        if (row >= 0 && std::size_t(row) < model_.repairHistory().size())
            if (auto url = model_.repairHistory()[std::size_t(row)].outputURL()) model_.revealRepairOutput(*url);
    });
    open_ = PageParts::button(this, "openOutput", [this] {
        const int row = history_->currentIndex().row();
        if (row >= 0 && std::size_t(row) < model_.repairHistory().size())
            if (auto url = model_.repairHistory()[std::size_t(row)].outputURL()) model_.openRepairOutput(*url);
    });
    clearHistory_ = PageParts::button(this, "clearRepairHistory", [this] { model_.clearRepairHistory(); });

    auto* grid = new QGridLayout;
    auto* queueButtons = new QHBoxLayout;
    queueButtons->addWidget(choose_);
    queueButtons->addWidget(remove_);
    queueButtons->addStretch(1);
    grid->addLayout(queueButtons, 0, 0);
    grid->addWidget(queue_, 1, 0, 3, 1);
    grid->addWidget(selectedTitle_, 0, 1);
    auto* selection = new QVBoxLayout;
    selection->addWidget(recommendation_);
    selection->addWidget(preview_);
    selection->addWidget(toolNotes_);
    selection->addWidget(findings_, 1);
    auto* actions = new QHBoxLayout;
    for (QPushButton* button : {exportCopy_, rebuild_, extract_, exportAll_, cancel_}) actions->addWidget(button);
    actions->addStretch(1);
    selection->addLayout(actions);
    grid->addLayout(selection, 1, 1, 3, 1);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 3);
    layout->addLayout(grid, 3);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    auto* historyRow = new QHBoxLayout;
    historyRow->addWidget(historyTitle_);
    historyRow->addStretch(1);
    for (QPushButton* button : {reveal_, open_, clearHistory_}) historyRow->addWidget(button);
    layout->addLayout(historyRow);
    layout->addWidget(history_, 2);

    connect(queue_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        const int row = queue_->indexOfTopLevelItem(current);
        if (row >= 0 && std::size_t(row) < model_.repairJobs().size())
            model_.selectRepairJob(model_.repairJobs()[std::size_t(row)]);
    });
    connect(&model_, &AppModel::repairJobsChanged, this, &RepairPage::reloadQueue);
    connect(&model_, &AppModel::selectedRepairJobIDChanged, this, &RepairPage::reloadSelection);
    connect(&model_, &AppModel::repairHistoryChanged, this, &RepairPage::reloadHistory);
    for (auto signal : {&AppModel::isDiagnosingRepairChanged, &AppModel::repairInProgressChanged,
                        &AppModel::repairQueueInProgressChanged, &AppModel::repairStatusTextChanged})
        connect(&model_, signal, this, &RepairPage::refreshState);
    connect(&model_, &AppModel::languageChanged, this, &RepairPage::retitle);
    retitle();
}

void RepairPage::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void RepairPage::dropEvent(QDropEvent* event) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdString());
    if (files.empty()) return;
    event->acceptProposedAction();
    model_.addRepairFiles(files);
}

void RepairPage::reloadQueue() {
    const QSignalBlocker blocker(queue_);
    queue_->clear();
    const auto selected = model_.selectedRepairJob();
    for (const FileRepairJob& job : model_.repairJobs()) {
        auto* row =
            PageParts::addRow(queue_, {toQString(job.title()), text(rawValue(job.phase)), text(job.statusText)});
        row->setToolTip(0, text(job.subtitle()));
        if (selected && selected->id == job.id) queue_->setCurrentItem(row);
    }
    reloadSelection();
}

void RepairPage::reloadSelection() {
    findings_->clear();
    const auto job = model_.selectedRepairJob();
    selectedTitle_->setText(job ? toQString(job->title()) : text("Add a damaged file to begin."));
    recommendation_->clear();
    toolNotes_->clear();
    const bool diagnosed = job && job->diagnostic;
    preview_->showItems(diagnosed ? job->diagnostic->previewItems : std::vector<RepairPreviewItem>{},
                        model_.language());
    if (diagnosed) {
        const FileRepairDiagnostic& diagnostic = *job->diagnostic;
        recommendation_->setText(text(diagnostic.recommendedAction));
        QStringList notes;
        for (const std::string& note : diagnostic.toolNotes) notes << text(note);
        toolNotes_->setText(notes.join(QStringLiteral(" · ")));
        for (const RepairFinding& finding : diagnostic.findings) {
            const QString detail = text(finding.detail);
            auto* row =
                PageParts::addRow(findings_, {text(finding.title), text(label(finding.level)), oneLine(detail)});
            row->setToolTip(2, detail);
        }
    }
    toolNotes_->setVisible(!toolNotes_->text().isEmpty());
    if (job && job->errorMessage) recommendation_->setText(text(*job->errorMessage));
    refreshState();
}

void RepairPage::reloadHistory() {
    history_->clear();
    for (const RepairHistoryRecord& record : model_.repairHistory())
        PageParts::addRow(history_,
                          {toQString(record.sourceName + " → " + record.outputName), text(record.stateRawValue),
                           toQString(tidewellString(record.outputSizeBytes)), text(record.message)});
    refreshState();
}

void RepairPage::refreshState() {
    const bool busy = model_.repairInProgress() || model_.repairQueueInProgress() || model_.isDiagnosingRepair();
    const auto job = model_.selectedRepairJob();
    const bool idle = !model_.repairInProgress() && !model_.repairQueueInProgress();
    exportCopy_->setEnabled(idle && job && job->diagnostic && job->diagnostic->canAttemptRepair);
    // Asked only for a recording that lost its movie metadata but holds recognisable frames.
    const bool needsReference = model_.selectedRepairJobNeedsReference();
    rebuild_->setVisible(needsReference);
    rebuild_->setEnabled(idle && needsReference);
    extract_->setEnabled(idle && job && job->diagnostic && job->diagnostic->canExtractReadableContent);
    exportAll_->setEnabled(idle && model_.readyRepairJobCount() > 0);
    remove_->setEnabled(idle && job.has_value());
    cancel_->setEnabled(!idle);
    PageParts::showProgress(progress_, busy, job && !model_.isDiagnosingRepair() ? job->progress : -1);
    status_->setText(text(model_.repairStatusText().value_or("")));
    const bool hasHistory = !model_.repairHistory().empty();
    reveal_->setEnabled(hasHistory);
    open_->setEnabled(hasHistory);
    clearHistory_->setEnabled(hasHistory);
}

QString RepairPage::text(std::string_view english) const {
    return PageTexts::shown(model_, english);
}

void RepairPage::retitle() {
    title_->setText(toQString(PageTexts::title(SidebarItem::repair, model_.language())));
    subtitle_->setText(
        text("Drop damaged files here. The original is never changed; a repaired copy is exported to a place you "
             "choose."));
    choose_->setText(text("Choose File to Repair"));
    remove_->setText(text("Remove"));
    exportCopy_->setText(text("Export Repaired Copy…"));
    rebuild_->setText(text("Choose a healthy clip from the same camera…"));
    extract_->setText(text("Extract Readable Contents…"));
    exportAll_->setText(text("Export All Ready…"));
    cancel_->setText(toQString(model_.t("cancel")));
    historyTitle_->setText(toQString(model_.t("history")));
    reveal_->setText(text("Reveal"));
    open_->setText(text("Open"));
    clearHistory_->setText(toQString(model_.t("clearHistory")));
    queue_->setHeaderLabels({text("Name"), text("State"), text("Status")});
    findings_->setHeaderLabels({text("Check"), text("Result"), text("Detail")});
    history_->setHeaderLabels({text("Export"), text("State"), toQString(model_.t("sizeColumn")), text("Message")});
    reloadQueue();
    reloadHistory();
}

}  // namespace tidewell
