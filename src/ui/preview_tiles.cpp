#include "ui/preview_tiles.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/page_parts.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "ui/symbol_icons.h"

namespace tidewell {

namespace {

constexpr QSize kTileSize(178, 44);
constexpr int kIconSize = 24;
constexpr int kSpacing = 4;
constexpr int kVisibleRows = 3;

QWidget* tile(const RepairPreviewItem& item, const QString& title, const QString& detailText, QWidget* parent) {
    auto* made = new QFrame(parent);
    made->setObjectName("previewTile");
    made->setFrameShape(QFrame::StyledPanel);
    made->setAutoFillBackground(true);
    made->setBackgroundRole(QPalette::AlternateBase);
    auto* row = new QHBoxLayout(made);
    row->setContentsMargins(6, 2, 6, 2);
    auto* icon = new QLabel(made);
    icon->setObjectName("previewIcon");
    icon->setPixmap(iconForSymbol(item.systemImage).pixmap(kIconSize, kIconSize));
    row->addWidget(icon, 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    auto* heading = new QLabel(made);
    heading->setObjectName("previewTitle");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto* detail = PageParts::note(made);
    detail->setObjectName("previewDetail");
    detail->setWordWrap(false);
    // Entry paths keep their beginning and file name when cut.
    const int textWidth = kTileSize.width() - kIconSize - 24;
    heading->setText(heading->fontMetrics().elidedText(title, Qt::ElideRight, textWidth));
    detail->setText(detail->fontMetrics().elidedText(detailText, Qt::ElideMiddle, textWidth));
    texts->addWidget(heading);
    texts->addWidget(detail);
    row->addLayout(texts, 1);
    made->setToolTip(title + "\n" + detailText);
    return made;
}

}  // namespace

PreviewTiles::PreviewTiles(QWidget* parent) : QListWidget(parent) {
    setObjectName("repairPreview");
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSpacing(kSpacing);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    setVisible(false);
}

void PreviewTiles::showItems(const std::vector<RepairPreviewItem>& items, std::string_view language) {
    clear();
    for (const RepairPreviewItem& item : items) {
        const QString title = toQString(PageTexts::text(item.title, language));
        const QString detail = toQString(PageTexts::text(item.detail, language));
        auto* entry = new QListWidgetItem(this);
        entry->setSizeHint(kTileSize);
        // Read by assistive tools; the tile widget paints the visible text.
        entry->setData(Qt::AccessibleTextRole, title + ": " + detail);
        setItemWidget(entry, tile(item, title, detail, this));
    }
    setVisible(!items.empty());
    fitHeight();
}

QString PreviewTiles::titleText(int row) const {
    const QWidget* shown = itemWidget(item(row));
    return shown ? shown->findChild<QLabel*>("previewTitle")->text() : QString();
}

QString PreviewTiles::detailText(int row) const {
    const QWidget* shown = itemWidget(item(row));
    return shown ? shown->findChild<QLabel*>("previewDetail")->text() : QString();
}

void PreviewTiles::fitHeight() {
    const int cell = kTileSize.width() + 2 * kSpacing;
    const int perRow = std::max(1, viewport()->width() / cell);
    const int rows = std::clamp((count() + perRow - 1) / perRow, 1, kVisibleRows);
    setFixedHeight(rows * (kTileSize.height() + 2 * kSpacing) + 2 * frameWidth());
}

void PreviewTiles::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    fitHeight();
}

}  // namespace tidewell
