#include "ui/action_alert_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "model/app_model.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

namespace {

// The kind's title is a key of the model's table; a plain note (no key) reads "Note".
struct Tone {
    const char* key;
    QColor background;
};

Tone toneOf(ActionResultKind kind) {
    switch (kind) {
        case ActionResultKind::success:
            return {"done", QColor(0xd9, 0xf2, 0xdf)};
        case ActionResultKind::failure:
            return {"couldNotComplete", QColor(0xf8, 0xd7, 0xd7)};
        case ActionResultKind::warning:
            return {"partlyCompleted", QColor(0xfb, 0xed, 0xc9)};
        case ActionResultKind::info:
            break;
    }
    return {nullptr, QColor(0xdc, 0xe8, 0xf8)};
}

}  // namespace

ActionAlertBar::ActionAlertBar(AppModel& model, QWidget* parent) : QFrame(parent), model_(model) {
    setObjectName("actionAlert");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    kind_ = new QLabel(this);
    QFont bold = kind_->font();
    bold.setBold(true);
    kind_->setFont(bold);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    close_ = new QPushButton(this);
    layout->addWidget(kind_);
    layout->addWidget(message_, 1);
    layout->addWidget(close_);
    connect(close_, &QPushButton::clicked, this, [this] { model_.setShowActionAlert(false); });
    for (auto signal : {&AppModel::showActionAlertChanged, &AppModel::actionMessageChanged,
                        &AppModel::actionResultKindChanged, &AppModel::languageChanged})
        connect(&model_, signal, this, &ActionAlertBar::refresh);
    refresh();
}

void ActionAlertBar::refresh() {
    const Tone tone = toneOf(model_.actionResultKind());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, tone.background);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    kind_->setText(tone.key ? toQString(model_.t(tone.key)) : PageTexts::shown(model_, "Note"));
    message_->setText(PageTexts::shown(model_, model_.actionMessage().value_or("")));
    close_->setText(toQString(model_.t("ok")));
    setVisible(model_.showActionAlert());
}

}  // namespace tidewell
