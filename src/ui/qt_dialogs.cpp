#include "ui/qt_dialogs.h"

#include <QFileDialog>

#include "ui/qt_text.h"

namespace tidewell {

namespace {

QString startFolder(const std::optional<std::filesystem::path>& directory) {
    return directory ? toQString(directory->string()) : QString();
}

std::filesystem::path toPath(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

}  // namespace

std::vector<std::filesystem::path> QtDialogs::chooseForOpening(const OpenRequest& request) {
    QFileDialog dialog(parent_, toQString(request.title), startFolder(request.directory));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.canChooseDirectories && !request.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    std::vector<std::filesystem::path> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dialog.selectedFiles()) chosen.push_back(toPath(file));
    return chosen;
}

std::optional<std::filesystem::path> QtDialogs::chooseForSaving(const SaveRequest& request) {
    QString start = startFolder(request.directory);
    if (!request.suggestedName.empty())
        start = start.isEmpty() ? toQString(request.suggestedName) : start + "/" + toQString(request.suggestedName);
    const QString file = QFileDialog::getSaveFileName(parent_, toQString(request.title), start);
    if (file.isEmpty()) return std::nullopt;
    return toPath(file);
}

}  // namespace tidewell
