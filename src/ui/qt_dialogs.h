#pragma once

#include <QPointer>
#include <QWidget>

#include "model/dialogs.h"

class QFileDialog;

namespace tidewell {

// The open and save panels as Qt file dialogs, modal to a window when one is given. The
// toolkit's own dialog is used (not the desktop's), so the request's message can be shown in it.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::vector<std::filesystem::path> chooseForOpening(const OpenRequest& request) override;
    std::optional<std::filesystem::path> chooseForSaving(const SaveRequest& request) override;

    // The panels as they are shown, set up for a request but not yet run.
    static void prepare(QFileDialog& dialog, const OpenRequest& request);
    static void prepare(QFileDialog& dialog, const SaveRequest& request);

private:
    QPointer<QWidget> parent_;
};

}  // namespace tidewell
