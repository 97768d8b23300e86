#pragma once

#include <QPointer>
#include <QWidget>

#include "model/dialogs.h"

namespace tidewell {

// The open and save panels as Qt file dialogs, modal to a window when one is given.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    std::vector<std::filesystem::path> chooseForOpening(const OpenRequest& request) override;
    std::optional<std::filesystem::path> chooseForSaving(const SaveRequest& request) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace tidewell
