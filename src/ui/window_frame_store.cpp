#include "ui/window_frame_store.h"

#include <QSettings>

#include "platform/folders.h"

namespace tidewell::WindowFrameStore {

QString settingsFile() {
    return QString::fromStdString((platform::configurationDirectory() / "window.ini").string());
}

std::optional<QByteArray> savedFrame(const QString& name) {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    QVariant value = settings.value(name);
    if (!value.isValid()) return std::nullopt;
    return value.toByteArray();
}

void saveFrame(const QString& name, const QByteArray& frame) {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(name, frame);
}

}  // namespace tidewell::WindowFrameStore
