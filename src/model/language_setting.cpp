#include "model/language_setting.h"

#include <QSettings>
#include <QString>

#include "platform/folders.h"

namespace tidewell::LanguageSetting {

namespace {

QSettings settingsFile() {
    const auto file = platform::configurationDirectory() / "Tidewell.conf";
    return QSettings(QString::fromStdString(file.string()), QSettings::IniFormat);
}

}  // namespace

std::string load() {
    const QVariant stored = settingsFile().value(key);
    return stored.isValid() ? stored.toString().toStdString() : defaultLanguage;
}

void save(const std::string& language) {
    QSettings settings = settingsFile();
    settings.setValue(key, QString::fromStdString(language));
    settings.sync();
}

}  // namespace tidewell::LanguageSetting
