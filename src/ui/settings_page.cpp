#include "ui/settings_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/app_language.h"
#include "model/app_model.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

SettingsPage::SettingsPage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    title_ = header.title;
    subtitle_ = header.subtitle;
    auto* form = new QFormLayout;
    languageCaption_ = new QLabel(this);
    language_ = new QComboBox(this);
    language_->setObjectName("languagePicker");
    for (AppLanguage language : allAppLanguageCases) language_->addItem(toQString(rawValue(language)));
    cleanupCaption_ = new QLabel(this);
    cleanupValue_ = new QLabel(this);
    telemetryCaption_ = new QLabel(this);
    telemetryValue_ = new QLabel(this);
    form->addRow(languageCaption_, language_);
    form->addRow(cleanupCaption_, cleanupValue_);
    form->addRow(telemetryCaption_, telemetryValue_);
    protectedCaption_ = new QLabel(this);
    protectedValue_ = new QLabel(this);
    form->addRow(protectedCaption_, protectedValue_);
    developerCaption_ = new QLabel(this);
    developerValue_ = new QLabel(this);
    form->addRow(developerCaption_, developerValue_);
    helperCaption_ = new QLabel(this);
    helperValue_ = new QLabel(this);
    helperValue_->setObjectName("helperStatus");
    helperValue_->setWordWrap(true);
    form->addRow(helperCaption_, helperValue_);
    layout->addLayout(form);
    auto* actions = new QHBoxLayout;
    export_ = PageParts::button(this, "exportDiagnostics", [this] { model_.exportDiagnostics(); });
    uninstall_ = PageParts::button(this, "uninstall", [this] { model_.setShowSelfUninstallConfirm(true); });
    actions->addWidget(export_);
    actions->addWidget(uninstall_);
    actions->addStretch(1);
    layout->addLayout(actions);
    layout->addStretch(1);
    connect(language_, &QComboBox::activated, this,
            [this](int index) { model_.setLanguage(language_->itemText(index).toStdString()); });
    connect(&model_, &AppModel::languageChanged, this, &SettingsPage::retitle);
    retitle();
}

void SettingsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The helper may have started or stopped since the page was last shown.
    helperRunning_ = PrivilegedDiskReader::installedHelperIsReachable();
    showHelperStatus();
}

void SettingsPage::showHelperStatus() {
    const char* status = helperRunning_ ? "Running: deleted-file scans read drives through it, read-only."
                                        : "Not running. Tidewell asks for administrator approval to start it when a "
                                          "deleted-file scan begins.";
    helperValue_->setText(PageTexts::shown(model_, status));
}

void SettingsPage::retitle() {
    language_->setCurrentText(toQString(model_.language()));
    title_->setText(toQString(model_.t("settings")));
    subtitle_->setText(toQString(model_.t("localScan")));
    languageCaption_->setText(toQString(model_.t("language")));
    cleanupCaption_->setText(toQString(model_.t("defaultCleanupMethod")));
    cleanupValue_->setText(toQString(model_.t("moveToTrash")));
    telemetryCaption_->setText(toQString(model_.t("telemetry")));
    telemetryValue_->setText(toQString(model_.t("off")));
    protectedCaption_->setText(toQString(model_.t("protectedItems")));
    protectedValue_->setText(toQString(model_.t("systemFilesLocked")));
    developerCaption_->setText(toQString(model_.t("developerID")));
    developerValue_->setText(toQString(model_.t("requiredBeforeRelease")));
    helperCaption_->setText(toQString(model_.t("privilegedHelper")));
    showHelperStatus();
    export_->setText(toQString(model_.t("exportDiagnostics")));
    uninstall_->setText(toQString(model_.t("uninstall")));
}

}  // namespace tidewell
