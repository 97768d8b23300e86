#include "ui/recovery_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "recovery/deleted/partition_table.h"
#include "recovery/readable/recovery_candidate_kind.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "util/byte_size_text.h"

namespace tidewell {

namespace {

QString stateText(const AppModel& model, const RecoveryScanState& state, const std::optional<std::string>& status) {
    QString text = PageTexts::shown(model, state.label());
    if (status && !status->empty()) text += QStringLiteral(" — ") + PageTexts::shown(model, *status);
    return text;
}

void addCheckedRow(QTreeWidget* list, const QStringList& texts, bool checked) {
    PageParts::addRow(list, texts)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

}  // namespace

RecoveryPage::RecoveryPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    auto* sourceRow = new QHBoxLayout;
    sources_ = new QComboBox(this);
    sources_->setObjectName("recoverySources");
    refresh_ = PageParts::button(this, "refreshSources", [this] { model_.refreshRecoveryVolumes(); });
    chooseFolder_ = PageParts::button(this, "chooseSourceFolder", [this] { model_.chooseRecoverySource(); });
    sourceRow->addWidget(sources_, 1);
    sourceRow->addWidget(refresh_);
    sourceRow->addWidget(chooseFolder_);
    layout->addLayout(sourceRow);
    sourceDetail_ = PageParts::note(this);
    layout->addWidget(sourceDetail_);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("recoveryScans");
    tabs_->addTab(makeSection(readable_, "readable"), QString());
    QWidget* deletedTab = makeSection(deleted_, "deleted");
    static_cast<QVBoxLayout*>(deletedTab->layout())->insertLayout(1, makeImageRow(deletedTab));
    tabs_->addTab(deletedTab, QString());
    layout->addWidget(tabs_, 1);
    saveDiskImage_ = PageParts::button(this, "saveDiskImage", [this] { model_.saveDeletedRecoveryDiskImage(); });
    deleted_.actions->insertWidget(deleted_.actions->count() - 1, saveDiskImage_);
    deepScan_ = PageParts::button(deletedTab, "deletedDeepScan", [this] { model_.deepScanDeletedFiles(); });
    deleted_.actions->insertWidget(deleted_.actions->indexOf(deleted_.scan) + 1, deepScan_);
    readable_.candidates->setColumnCount(5);
    deleted_.candidates->setColumnCount(5);

    connect(readable_.scan, &QPushButton::clicked, this, [this] { model_.scanSelectedRecoveryVolume(); });
    connect(readable_.cancel, &QPushButton::clicked, this, [this] { model_.cancelRecoveryScan(); });
    connect(readable_.selectAll, &QPushButton::clicked, this, [this] { model_.selectAllRecoveryCandidates(); });
    connect(readable_.exportSelected, &QPushButton::clicked, this,
            [this] { model_.exportSelectedRecoveryCandidates(); });
    connect(deleted_.scan, &QPushButton::clicked, this, [this] { model_.scanDeletedFiles(); });
    connect(deleted_.cancel, &QPushButton::clicked, this, [this] { model_.cancelDeletedRecoveryScan(); });
    connect(deleted_.selectAll, &QPushButton::clicked, this, [this] { model_.selectAllDeletedRecoveryCandidates(); });
    connect(deleted_.exportSelected, &QPushButton::clicked, this,
            [this] { model_.exportSelectedDeletedRecoveryCandidates(); });
    connect(readable_.candidates, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row) {
        const auto index = std::size_t(readable_.candidates->indexOfTopLevelItem(row));
        const auto& all = model_.recoveryCandidates();
        if (index >= all.size()) return;
        const bool checked = row->checkState(0) == Qt::Checked;
        if (checked != model_.selectedRecoveryCandidateIDs().contains(all[index].id()))
            model_.toggleRecoveryCandidate(all[index]);
    });
    connect(deleted_.candidates, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row) {
        const auto index = std::size_t(deleted_.candidates->indexOfTopLevelItem(row));
        const auto& all = model_.deletedRecoveryCandidates();
        if (index >= all.size()) return;
        const bool checked = row->checkState(0) == Qt::Checked;
        if (checked != model_.selectedDeletedRecoveryCandidateIDs().contains(all[index].id))
            model_.toggleDeletedRecoveryCandidate(all[index]);
    });
    connect(sources_, &QComboBox::activated, this, [this](int index) {
        const auto& volumes = model_.recoveryVolumes();
        if (index >= 0 && std::size_t(index) < volumes.size())
            model_.selectRecoveryVolume(volumes[std::size_t(index)].id);
    });

    for (auto signal : {&AppModel::recoveryVolumesChanged, &AppModel::selectedRecoveryVolumeIDChanged})
        connect(&model_, signal, this, &RecoveryPage::reloadSources);
    for (auto signal : {&AppModel::recoveryCandidatesChanged, &AppModel::selectedRecoveryCandidateIDsChanged})
        connect(&model_, signal, this, &RecoveryPage::reloadReadableRows);
    for (auto signal :
         {&AppModel::recoveryCandidatesChanged, &AppModel::selectedRecoveryCandidateIDsChanged,
          &AppModel::recoveryScanStateChanged, &AppModel::recoveryStatusTextChanged, &AppModel::recoveryReportChanged})
        connect(&model_, signal, this, &RecoveryPage::refreshReadableState);
    for (auto signal :
         {&AppModel::deletedRecoveryCandidatesChanged, &AppModel::selectedDeletedRecoveryCandidateIDsChanged})
        connect(&model_, signal, this, &RecoveryPage::reloadDeletedRows);
    for (auto signal :
         {&AppModel::deletedRecoveryCandidatesChanged, &AppModel::selectedDeletedRecoveryCandidateIDsChanged,
          &AppModel::deletedRecoveryScanStateChanged, &AppModel::deletedRecoveryStatusTextChanged,
          &AppModel::deletedRecoveryReportChanged, &AppModel::deletedRecoveryImageSourceNameChanged})
        connect(&model_, signal, this, &RecoveryPage::refreshDeletedState);
    connect(&model_, &AppModel::diskImagePartitionsChanged, this, &RecoveryPage::reloadImagePartitions);
    connect(&model_, &AppModel::languageChanged, this, &RecoveryPage::retitle);
    retitle();
}

QWidget* RecoveryPage::makeSection(Section& section, const char* name) {
    auto* tab = new QWidget(this);
    tab->setObjectName(name);
    auto* layout = new QVBoxLayout(tab);
    auto* actions = new QHBoxLayout;
    section.scan = new QPushButton(tab);
    section.cancel = new QPushButton(tab);
    section.selectAll = new QPushButton(tab);
    section.exportSelected = new QPushButton(tab);
    const QString prefix = QString::fromLatin1(name);
    section.scan->setObjectName(prefix + "Scan");
    section.cancel->setObjectName(prefix + "Cancel");
    section.selectAll->setObjectName(prefix + "SelectAll");
    section.exportSelected->setObjectName(prefix + "Export");
    for (QPushButton* button : {section.scan, section.cancel, section.selectAll, section.exportSelected})
        actions->addWidget(button);
    actions->addStretch(1);
    section.actions = actions;
    layout->addLayout(actions);
    section.progress = PageParts::busyBar(tab);
    section.status = PageParts::note(tab);
    section.candidates = new QTreeWidget(tab);
    section.candidates->setObjectName(prefix + "Candidates");
    section.candidates->setRootIsDecorated(false);
    section.candidates->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    section.report = PageParts::note(tab);
    layout->addWidget(section.progress);
    layout->addWidget(section.status);
    layout->addWidget(section.candidates, 1);
    layout->addWidget(section.report);
    return tab;
}

QLayout* RecoveryPage::makeImageRow(QWidget* tab) {
    auto* row = new QHBoxLayout;
    openImage_ = PageParts::button(tab, "deletedOpenImage", [this] { model_.openDiskImage(); });
    imagePartitions_ = new QComboBox(tab);
    imagePartitions_->setObjectName("deletedImagePartitions");
    scanPartition_ = PageParts::button(tab, "deletedScanPartition", [this] {
        const auto& partitions = model_.diskImagePartitions();
        const int index = imagePartitions_->currentIndex();
        if (index >= 0 && std::size_t(index) < partitions.size())
            model_.scanDiskImagePartition(partitions[std::size_t(index)].number);
    });
    row->addWidget(openImage_);
    row->addWidget(imagePartitions_, 1);
    row->addWidget(scanPartition_);
    row->addStretch(1);
    return row;
}

void RecoveryPage::reloadImagePartitions() {
    const QSignalBlocker blocker(imagePartitions_);
    imagePartitions_->clear();
    for (const PartitionTable::Partition& partition : model_.diskImagePartitions())
        imagePartitions_->addItem(text(PartitionTable::partitionSummary(partition)));
    const bool choosing = !model_.diskImagePartitions().empty();
    imagePartitions_->setVisible(choosing);
    scanPartition_->setVisible(choosing);
}

void RecoveryPage::reloadSources() {
    const QSignalBlocker blocker(sources_);
    sources_->clear();
    const auto selected = model_.selectedRecoveryVolume();
    for (const ExternalRecoveryVolume& volume : model_.recoveryVolumes()) {
        sources_->addItem(toQString(volume.name + " — " + volume.fileSystem + ", " + volume.totalText()));
        if (selected && selected->id == volume.id) sources_->setCurrentIndex(sources_->count() - 1);
    }
    QString detail = selected ? toQString(selected->sourceDescription() + " · " + selected->mountURL.string())
                              : text("Connect an external drive or choose a folder to scan.");
    if (auto refusal = model_.deletedRecoveryRefusal()) detail += QLatin1Char('\n') + text(*refusal);
    sourceDetail_->setText(detail);
    refreshReadableState();
    refreshDeletedState();
}

void RecoveryPage::reloadReadableRows() {
    const QSignalBlocker blocker(readable_.candidates);
    readable_.candidates->clear();
    const auto& chosen = model_.selectedRecoveryCandidateIDs();
    for (const RecoveryCandidate& candidate : model_.recoveryCandidates())
        addCheckedRow(
            readable_.candidates,
            {toQString(candidate.name()), text(RecoveryCandidateKinds::rawValue(candidate.kind)),
             toQString(candidate.sizeText()), text(candidate.modifiedText()), toQString(candidate.relativePath)},
            chosen.contains(candidate.id()));
}

void RecoveryPage::reloadDeletedRows() {
    const QSignalBlocker blocker(deleted_.candidates);
    deleted_.candidates->clear();
    const auto& chosen = model_.selectedDeletedRecoveryCandidateIDs();
    for (const DeletedRecovery::Candidate& candidate : model_.deletedRecoveryCandidates())
        addCheckedRow(
            deleted_.candidates,
            {toQString(candidate.fromFoundFolder ? candidate.directoryLocation + "/" + candidate.displayName()
                                                 : candidate.displayName()),
             text(RecoveryCandidateKinds::rawValue(candidate.kind)), toQString(tidewellString(candidate.sizeBytes)),
             text(DeletedRecovery::rawValue(candidate.confidence)), text(candidate.evidenceText())},
            chosen.contains(candidate.id));
}

void RecoveryPage::refreshReadableState() {
    const auto& report = model_.recoveryReport();
    showState(readable_, model_.recoveryScanState(), model_.recoveryStatusText(), !model_.recoveryCandidates().empty(),
              !model_.selectedRecoveryCandidateIDs().empty(),
              report ? counts({{"Visited", report->filesVisited},
                               {"Found", report->candidatesFound},
                               {"Skipped", report->skippedItems}}) +
                           QStringLiteral(" · ") + text(report->durationText())
                     : QString());
}

void RecoveryPage::refreshDeletedState() {
    const auto& report = model_.deletedRecoveryReport();
    showState(deleted_, model_.deletedRecoveryScanState(), model_.deletedRecoveryStatusText(),
              !model_.deletedRecoveryCandidates().empty(), !model_.selectedDeletedRecoveryCandidateIDs().empty(),
              report ? counts({{"Directories checked", report->directoriesChecked},
                               {"Entries checked", report->entriesChecked},
                               {"Found", report->candidatesFound},
                               {"Skipped", report->skippedEntries}})
                     : QString());
    const auto source = model_.selectedRecoveryVolume();
    saveDiskImage_->setEnabled(source && source->deviceIdentifier && !model_.deletedRecoveryScanState().isBusy());
    deepScan_->setEnabled(model_.canDeepScanDeletedFiles() && !model_.deletedRecoveryScanState().isBusy());
}

void RecoveryPage::showState(const Section& section, const RecoveryScanState& state,
                             const std::optional<std::string>& status, bool hasCandidates, bool hasChosen,
                             const QString& report) {
    PageParts::showProgress(section.progress, state.isBusy());
    section.cancel->setEnabled(state.isBusy());
    section.status->setText(stateText(model_, state, status));
    section.exportSelected->setEnabled(hasChosen && !state.isBusy());
    section.selectAll->setEnabled(hasCandidates);
    section.report->setText(report);
    section.scan->setEnabled(model_.selectedRecoveryVolume().has_value() && !state.isBusy());
    if (&section == &deleted_)
        for (QWidget* imageControl : {static_cast<QWidget*>(openImage_), static_cast<QWidget*>(scanPartition_)})
            imageControl->setEnabled(!state.isBusy());
}

QString RecoveryPage::text(std::string_view english) const {
    return PageTexts::shown(model_, english);
}

QString RecoveryPage::counts(std::initializer_list<std::pair<std::string_view, std::int64_t>> labelled) const {
    QStringList parts;
    for (const auto& [label, count] : labelled) parts << text(label) + QLatin1Char(' ') + QString::number(count);
    return parts.join(QStringLiteral(" · "));
}

void RecoveryPage::retitle() {
    title_->setText(toQString(PageTexts::title(SidebarItem::recovery, model_.language())));
    subtitle_->setText(text("Sources are only read. Recovered files are exported to another place."));
    refresh_->setText(text("Refresh"));
    chooseFolder_->setText(text("Choose Folder…"));
    tabs_->setTabText(0, text("Readable Files"));
    tabs_->setTabText(1, text("Deleted Files"));
    readable_.scan->setText(text("Scan Readable Files"));
    deleted_.scan->setText(text("Scan Deleted Files"));
    deepScan_->setText(text("Deep Scan"));
    openImage_->setText(text("Open Disk Image…"));
    scanPartition_->setText(text("Scan Partition"));
    saveDiskImage_->setText(text("Save Disk Image…"));
    for (Section* section : {&readable_, &deleted_}) {
        section->cancel->setText(toQString(model_.t("cancel")));
        section->selectAll->setText(toQString(model_.t("selectAll")));
        section->exportSelected->setText(text("Export Selected…"));
    }
    readable_.candidates->setHeaderLabels(
        {text("Name"), text("Kind"), toQString(model_.t("sizeColumn")), text("Modified"), toQString(model_.t("path"))});
    deleted_.candidates->setHeaderLabels({text("Name"), text("Kind"), toQString(model_.t("sizeColumn")),
                                          text("Confidence"), toQString(model_.t("evidence"))});
    reloadSources();
    reloadReadableRows();
    reloadDeletedRows();
    reloadImagePartitions();
}

}  // namespace tidewell
