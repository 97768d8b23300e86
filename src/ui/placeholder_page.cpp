#include "ui/placeholder_page.h"

#include <QLabel>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/qt_text.h"

namespace tidewell {

PlaceholderPage::PlaceholderPage(AppModel& model, SidebarItem item, QWidget* parent)
    : QWidget(parent), model_(model), item_(item) {
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    title_->setObjectName("pageTitle");
    QFont font = title_->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    title_->setFont(font);
    layout->addWidget(title_);
    layout->addStretch(1);
    connect(&model_, &AppModel::languageChanged, this, &PlaceholderPage::retitle);
    retitle();
}

void PlaceholderPage::retitle() {
    title_->setText(toQString(title(item_, model_.language())));
}

}  // namespace tidewell
