#include "ui/home_page.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/navigation.h"
#include "ui/qt_text.h"
#include "ui/symbol_icons.h"

namespace tidewell {

HomePage::HomePage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto* cards = new QHBoxLayout;
    for (ProductModule module : allProductModuleCases) {
        auto* card = new QPushButton(this);
        card->setObjectName(QStringLiteral("moduleCard_") + toQString(rawValue(module)));
        card->setIcon(iconForSymbol(symbol(module)));
        card->setIconSize(QSize(48, 48));
        card->setMinimumSize(220, 160);
        connect(card, &QPushButton::clicked, this, [this, module] { Navigation::openModule(model_, module); });
        cards_[static_cast<std::size_t>(module)] = card;
        cards->addWidget(card);
    }
    layout->addStretch(1);
    layout->addLayout(cards);
    layout->addStretch(1);
    connect(&model_, &AppModel::languageChanged, this, &HomePage::retitle);
    retitle();
}

void HomePage::retitle() {
    for (ProductModule module : allProductModuleCases)
        card(module)->setText(toQString(title(module, model_.language())));
}

}  // namespace tidewell
