#include "ui/overview_page.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "model/app_model.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "util/byte_size_text.h"

namespace tidewell {

OverviewPage::OverviewPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    auto* actions = new QHBoxLayout;
    rescan_ = PageParts::button(this, "rescan", [this] { model_.scan(true); });
    actions->addWidget(rescan_);
    actions->addStretch(1);
    layout->addLayout(actions);
    progress_ = PageParts::busyBar(this);
    status_ = PageParts::note(this);
    layout->addWidget(progress_);
    layout->addWidget(status_);

    auto* cards = new QHBoxLayout;
    for (int index = 0; index < 4; ++index) {
        auto* card = new QFrame(this);
        card->setFrameShape(QFrame::StyledPanel);
        auto* inside = new QVBoxLayout(card);
        captions_[index] = PageParts::note(card);
        figures_[index] = new QLabel(card);
        QFont font = figures_[index]->font();
        font.setPointSizeF(font.pointSizeF() * 1.5);
        font.setBold(true);
        figures_[index]->setFont(font);
        inside->addWidget(captions_[index]);
        inside->addWidget(figures_[index]);
        cards->addWidget(card);
    }
    layout->addLayout(cards);

    auto* lists = new QGridLayout;
    diskTitle_ = new QLabel(this);
    memoryTitle_ = new QLabel(this);
    diskLeaders_ = new QListWidget(this);
    memoryLeaders_ = new QListWidget(this);
    lists->addWidget(diskTitle_, 0, 0);
    lists->addWidget(memoryTitle_, 0, 1);
    lists->addWidget(diskLeaders_, 1, 0);
    lists->addWidget(memoryLeaders_, 1, 1);
    layout->addLayout(lists, 1);
    trust_ = PageParts::note(this);
    layout->addWidget(trust_);

    for (auto signal : {&AppModel::appsChanged, &AppModel::isScanningChanged, &AppModel::scanStatusTextChanged})
        connect(&model_, signal, this, &OverviewPage::reload);
    connect(&model_, &AppModel::languageChanged, this, &OverviewPage::retitle);
    retitle();
}

void OverviewPage::reload() {
    const auto disk = model_.diskLeaders();
    const auto memory = model_.memoryLeaders();
    const auto& apps = model_.apps();
    figures_[0]->setText(QString::number(apps.size()));
    figures_[1]->setText(
        QString::number(std::count_if(apps.begin(), apps.end(), [](const AppInfo& app) { return app.isProtected; })));
    figures_[2]->setText(disk.empty() ? QStringLiteral("—") : toQString(disk.front().name));
    figures_[3]->setText(memory.empty() ? QStringLiteral("—") : toQString(memory.front().name));
    diskLeaders_->clear();
    for (const AppInfo& app : disk) diskLeaders_->addItem(toQString(app.name + " — " + app.totalDiskText()));
    memoryLeaders_->clear();
    for (const AppInfo& app : memory) memoryLeaders_->addItem(toQString(app.name + " — " + app.memoryText()));
    if (disk.empty()) diskLeaders_->addItem(toQString(model_.t("noAppsFound")));
    if (memory.empty()) memoryLeaders_->addItem(toQString(model_.t("noRunningApps")));
    PageParts::showProgress(progress_, model_.isScanning());
    status_->setText(PageTexts::shown(model_, model_.scanStatusText().value_or("")));
    rescan_->setEnabled(!model_.isScanning());
}

void OverviewPage::retitle() {
    title_->setText(toQString(model_.t("heroTitle")));
    subtitle_->setText(toQString(model_.t("heroSubtitle")));
    rescan_->setText(toQString(model_.t("rescan")));
    static constexpr const char* captionKeys[] = {"appsScanned", "protected", "diskLeader", "memoryLeader"};
    for (int index = 0; index < 4; ++index) captions_[index]->setText(toQString(model_.t(captionKeys[index])));
    diskTitle_->setText(toQString(model_.t("diskTopOffenders")));
    memoryTitle_->setText(toQString(model_.t("memoryTopOffenders")));
    trust_->setText(toQString(model_.t("localAnalysis") + " · " + model_.t("systemFilesLocked") + " · " +
                              model_.t("trashByDefault")));
    reload();
}

}  // namespace tidewell
