#include "ui/page_parts.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cleanup/cleanup_candidate.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell::PageParts {

Header addHeader(QVBoxLayout* layout, QWidget* parent) {
    Header header;
    header.title = new QLabel(parent);
    header.title->setObjectName("pageTitle");
    QFont font = header.title->font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    header.title->setFont(font);
    header.subtitle = note(parent);
    header.subtitle->setObjectName("pageSubtitle");
    layout->addWidget(header.title);
    layout->addWidget(header.subtitle);
    return header;
}

QProgressBar* busyBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    bar->setMaximumHeight(10);
    bar->setVisible(false);
    return bar;
}

void showProgress(QProgressBar* bar, bool running, double fraction) {
    if (fraction < 0) {
        bar->setRange(0, 0);
    } else {
        bar->setRange(0, 1000);
        bar->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
    }
    bar->setVisible(running);
}

QPushButton* button(QWidget* parent, const char* objectName, std::function<void()> action) {
    auto* made = new QPushButton(parent);
    made->setObjectName(objectName);
    QObject::connect(made, &QPushButton::clicked, parent, [action = std::move(action)] { action(); });
    return made;
}

ListControls addListControls(QVBoxLayout* layout, QWidget* parent, std::size_t filterCount, const char* scanName,
                             std::function<void()> scan) {
    ListControls controls;
    auto* row = new QHBoxLayout;
    controls.filter = new QComboBox(parent);
    for (std::size_t index = 0; index < filterCount; ++index) controls.filter->addItem(QString());
    controls.search = new QLineEdit(parent);
    controls.search->setClearButtonEnabled(true);
    row->addWidget(controls.filter);
    row->addWidget(controls.search, 1);
    if (scanName) {
        controls.scan = button(parent, scanName, std::move(scan));
        row->addWidget(controls.scan);
    }
    layout->addLayout(row);
    return controls;
}

QTreeWidget* treeList(QWidget* parent, const char* objectName, int columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(objectName);
    list->setColumnCount(columns);
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return list;
}

QTreeWidgetItem* addRow(QTreeWidget* list, const QStringList& texts) {
    auto* row = new QTreeWidgetItem(list, texts);
    for (int column = 0; column < texts.size(); ++column) row->setToolTip(column, texts[column]);
    return row;
}

QStringList confirmationItems(const AppModel& model, const std::vector<CleanupCandidate>& candidates) {
    QStringList items;
    for (const CleanupCandidate& candidate : candidates)
        items << PageTexts::shown(model, candidate.label) + toQString(" · " + candidate.sizeText()) +
                     (candidate.route == RemovalRoute::trash
                          ? QString()
                          : " · " + PageTexts::shown(model, rawValue(candidate.route)));
    return items;
}

QLabel* note(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    label->setPalette(palette);
    return label;
}

QLabel* emptyListHint(QAbstractItemView* list) {
    auto* hint = note(list->viewport());
    hint->setObjectName("emptyListHint");
    hint->setAlignment(Qt::AlignCenter);
    hint->setTextFormat(Qt::RichText);
    hint->setWordWrap(false);  // the hints are one short sentence; wrapping squeezed them into a column
    auto* layout = new QVBoxLayout(list->viewport());
    layout->addWidget(hint, 0, Qt::AlignCenter);
    hint->setVisible(false);
    return hint;
}

void showEmptyListHint(QLabel* hint, bool listIsEmpty, const std::string& headline, const std::string& detail) {
    hint->setText(
        QStringLiteral("<b>%1</b><br>%2")
            .arg(QString::fromStdString(headline).toHtmlEscaped(), QString::fromStdString(detail).toHtmlEscaped()));
    hint->setVisible(listIsEmpty);
}

}  // namespace tidewell::PageParts
