#include "ui/home_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/navigation.h"
#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "ui/symbol_icons.h"

namespace tidewell {

namespace {

// What each module does, in one sentence under its title.
std::string_view summary(ProductModule module) {
    switch (module) {
        case ProductModule::cleaner:
            return "Find heavy apps, leftovers, old logs and caches. Everything goes to the Trash first.";
        case ProductModule::repair:
            return "Check damaged ZIP, Office, PDF, video, image and audio files and export a repaired copy.";
        case ProductModule::recover:
            return "Copy readable files off a drive and rescue deleted files from FAT32 and exFAT cards.";
    }
    return {};
}

// Labels inside a card let clicks through, so the whole card is one button.
QLabel* cardLabel(QPushButton* card) {
    auto* label = new QLabel(card);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

}  // namespace

HomePage::HomePage(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto header = PageParts::addHeader(layout, this);
    heading_ = header.title;
    subheading_ = header.subtitle;
    auto* cards = new QHBoxLayout;
    for (ProductModule module : allProductModuleCases) {
        auto* card = new QPushButton(this);
        card->setObjectName(QStringLiteral("moduleCard_") + toQString(rawValue(module)));
        card->setMinimumSize(220, 200);
        auto* inside = new QVBoxLayout(card);
        QLabel* icon = cardLabel(card);
        icon->setPixmap(iconForSymbol(symbol(module)).pixmap(48, 48));
        QLabel* title = cardLabel(card);
        QFont font = title->font();
        font.setBold(true);
        font.setPointSizeF(font.pointSizeF() * 1.3);
        title->setFont(font);
        QLabel* detail = PageParts::note(card);
        detail->setAttribute(Qt::WA_TransparentForMouseEvents);
        detail->setAlignment(Qt::AlignCenter);
        inside->addStretch(1);
        for (QLabel* label : {icon, title, detail}) inside->addWidget(label);
        inside->addStretch(1);
        connect(card, &QPushButton::clicked, this, [this, module] { Navigation::openModule(model_, module); });
        const auto index = static_cast<std::size_t>(module);
        cards_[index] = card;
        cardTitles_[index] = title;
        cardDetails_[index] = detail;
        cards->addWidget(card);
    }
    layout->addStretch(1);
    layout->addLayout(cards);
    layout->addStretch(2);
    connect(&model_, &AppModel::languageChanged, this, &HomePage::retitle);
    retitle();
}

void HomePage::retitle() {
    heading_->setText(PageTexts::shown(model_, "What would you like to do?"));
    subheading_->setText(toQString(model_.t("localScan") + " · " + model_.t("trashFirst")));
    for (ProductModule module : allProductModuleCases) {
        const auto index = static_cast<std::size_t>(module);
        const QString name = toQString(PageTexts::title(module, model_.language()));
        cards_[index]->setAccessibleName(name);
        cardTitles_[index]->setText(name);
        cardDetails_[index]->setText(PageTexts::shown(model_, summary(module)));
    }
}

}  // namespace tidewell
