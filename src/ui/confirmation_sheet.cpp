#include "ui/confirmation_sheet.h"

#include <QMessageBox>
#include <QPushButton>

namespace tidewell::ConfirmationSheet {

namespace {

constexpr auto sheetName = "confirmationSheet";
// A long selection is summarised so the sheet still fits on the screen.
constexpr qsizetype listedItemLimit = 12;

QString listed(const QStringList& items) {
    QStringList shown = items.mid(0, listedItemLimit);
    if (items.size() > listedItemLimit) shown << QStringLiteral("… (+%1)").arg(items.size() - listedItemLimit);
    return shown.join('\n');
}

}  // namespace

QMessageBox* ask(QWidget* parent, const Texts& texts, std::function<void()> onConfirm, std::function<void()> onCancel) {
    auto* sheet = new QMessageBox(parent);
    sheet->setObjectName(sheetName);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setIcon(QMessageBox::Warning);
    sheet->setWindowTitle(texts.title);
    sheet->setText(texts.title);
    sheet->setInformativeText(texts.items.isEmpty() ? texts.message : texts.message + "\n\n" + listed(texts.items));
    QPushButton* confirm = sheet->addButton(texts.confirm, QMessageBox::AcceptRole);
    confirm->setObjectName("confirmButton");
    QPushButton* cancel = sheet->addButton(texts.cancel, QMessageBox::RejectRole);
    cancel->setObjectName("cancelButton");
    // Cancelling is the safe answer, so it is what Return and Escape choose.
    sheet->setDefaultButton(cancel);
    sheet->setEscapeButton(cancel);
    QObject::connect(sheet, &QMessageBox::finished, sheet,
                     [sheet, confirm, onConfirm = std::move(onConfirm), onCancel = std::move(onCancel)] {
                         if (sheet->clickedButton() == confirm)
                             onConfirm();
                         else if (onCancel)
                             onCancel();
                     });
    sheet->open();
    return sheet;
}

QMessageBox* openSheet(const QWidget* window) {
    for (QMessageBox* sheet : window->findChildren<QMessageBox*>(sheetName))
        if (sheet->isVisible()) return sheet;
    return nullptr;
}

}  // namespace tidewell::ConfirmationSheet
