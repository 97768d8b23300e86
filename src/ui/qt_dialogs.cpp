#include "ui/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include "ui/file_type_filters.h"
#include "ui/qt_text.h"

namespace tidewell {

namespace {

// Without a folder of its own the panel would open in the working directory, which means
// nothing to someone who started the application from a menu.
QString startFolder(const std::optional<std::filesystem::path>& directory) {
    return directory ? toQString(directory->string()) : QDir::homePath();
}

// Wide enough that the name, size and date columns are not cut short.
constexpr QSize panelSize(820, 520);

std::filesystem::path toPath(const QString& file) {
    return std::filesystem::path(file.toStdString());
}

// The request's explanation as a wrapping line under the dialog's own controls.
void showMessage(QFileDialog& dialog, const std::string& message) {
    if (message.empty()) return;
    auto* label = new QLabel(toQString(message), &dialog);
    label->setObjectName("dialogMessage");
    label->setWordWrap(true);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    else if (dialog.layout())
        dialog.layout()->addWidget(label);
}

}  // namespace

void QtDialogs::prepare(QFileDialog& dialog, const OpenRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(toQString(request.title));
    dialog.setDirectory(startFolder(request.directory));
    dialog.resize(panelSize);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.canChooseDirectories && !request.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        dialog.setNameFilters(FileTypeFilters::nameFilters(request.allowedContentTypes));
    }
    // Read-only also keeps the panel from renaming or deleting what it lists.
    dialog.setOption(QFileDialog::ReadOnly, !request.canCreateDirectories);
    showMessage(dialog, request.message);
}

void QtDialogs::prepare(QFileDialog& dialog, const SaveRequest& request) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(toQString(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(startFolder(request.directory));
    dialog.resize(panelSize);
    if (!request.suggestedName.empty()) dialog.selectFile(toQString(request.suggestedName));
    showMessage(dialog, request.message);
}

std::vector<std::filesystem::path> QtDialogs::chooseForOpening(const OpenRequest& request) {
    QFileDialog dialog(parent_);
    prepare(dialog, request);
    std::vector<std::filesystem::path> chosen;
    if (dialog.exec() != QDialog::Accepted) return chosen;
    for (const QString& file : dialog.selectedFiles()) chosen.push_back(toPath(file));
    return chosen;
}

std::optional<std::filesystem::path> QtDialogs::chooseForSaving(const SaveRequest& request) {
    QFileDialog dialog(parent_);
    prepare(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString file = dialog.selectedFiles().constFirst();
    if (file.isEmpty()) return std::nullopt;
    return toPath(file);
}

}  // namespace tidewell
