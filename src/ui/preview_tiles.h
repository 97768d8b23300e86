#pragma once

#include <QListWidget>
#include <string_view>
#include <vector>

#include "firstaid/repair_finding.h"

namespace tidewell {

// What a diagnosis found, as a wrapping row of small tiles: the symbol's icon, the title in
// bold and the detail in grey (cut in the middle when long, whole in the tooltip).
class PreviewTiles : public QListWidget {
    Q_OBJECT

public:
    explicit PreviewTiles(QWidget* parent = nullptr);

    // Replaces the tiles; titles are shown in `language` where the page texts list them.
    void showItems(const std::vector<RepairPreviewItem>& items, std::string_view language);

    // The tile's title and detail as shown, for tile `row`.
    QString titleText(int row) const;
    QString detailText(int row) const;

private:
    // Tall enough for every row of tiles, up to three rows; more scroll.
    void fitHeight();
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace tidewell
