#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tidewell::WindowFrameStore {

// The name the main window's last frame is kept under.
inline constexpr const char* mainWindowFrameName = "TidewellMainWindow";

// The settings file of window frames, in the configuration folder.
QString settingsFile();

std::optional<QByteArray> savedFrame(const QString& name);
void saveFrame(const QString& name, const QByteArray& frame);

}  // namespace tidewell::WindowFrameStore
