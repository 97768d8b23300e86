#include "ui/settings_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "model/app_language.h"
#include "model/app_model.h"
#include "ui/page_parts.h"
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
    layout->addLayout(form);
    protectedNote_ = PageParts::note(this);
    layout->addWidget(protectedNote_);
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

void SettingsPage::retitle() {
    language_->setCurrentText(toQString(model_.language()));
    title_->setText(toQString(model_.t("settings")));
    subtitle_->setText(toQString(model_.t("localScan")));
    languageCaption_->setText(toQString(model_.t("language")));
    cleanupCaption_->setText(toQString(model_.t("defaultCleanupMethod")));
    cleanupValue_->setText(toQString(model_.t("moveToTrash")));
    telemetryCaption_->setText(toQString(model_.t("telemetry")));
    telemetryValue_->setText(toQString(model_.t("off")));
    protectedNote_->setText(toQString(model_.t("protectedItems")));
    export_->setText(toQString(model_.t("exportDiagnostics")));
    uninstall_->setText(toQString(model_.t("uninstall")));
}

}  // namespace tidewell
