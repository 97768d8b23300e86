#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QMessageBox;
class QWidget;

namespace tidewell {

// The question asked before anything moves to the Trash. The sheet is modal to its window
// but does not block the event loop: `onConfirm` runs only when the user presses the
// confirming button, `onCancel` (when given) on every other way of closing it.
namespace ConfirmationSheet {

struct Texts {
    QString title;
    QString message;
    QStringList items;  // what will move, listed under the message
    QString confirm;
    QString cancel;
};

QMessageBox* ask(QWidget* parent, const Texts& texts, std::function<void()> onConfirm,
                 std::function<void()> onCancel = {});

// The sheet `ask` opened over `window`, if it is still open.
QMessageBox* openSheet(const QWidget* window);

}  // namespace ConfirmationSheet
}  // namespace tidewell
