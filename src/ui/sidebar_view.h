#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "model/product_module.h"
#include "model/sidebar_item.h"

class QAbstractButton;
class QLabel;
class QListWidget;
class QToolButton;

namespace tidewell {

class AppModel;

// The left column: the home button, the module picker, the sections of the selected module,
// the common items and the trust card. It shows the model's selections and changes them.
class SidebarView : public QWidget {
    Q_OBJECT

public:
    explicit SidebarView(AppModel& model, QWidget* parent = nullptr);

    QAbstractButton* homeButton() const;
    QAbstractButton* moduleButton(ProductModule module) const;
    // Section titles and item rows, top to bottom.
    QListWidget* rows() const { return rows_; }
    // The row showing `item`, or none when the item is not in the sidebar now.
    std::optional<int> rowOf(SidebarItem item) const;

private:
    void rebuild();
    void addSectionTitle(const std::string& title);
    void addItemRow(SidebarItem item);
    void selectionChangedByUser();

    AppModel& model_;
    QAbstractButton* homeButton_ = nullptr;
    std::array<QToolButton*, 3> moduleButtons_{};
    QListWidget* rows_ = nullptr;
    QLabel* trustCard_ = nullptr;
    bool rebuilding_ = false;
    bool built_ = false;
    std::optional<ProductModule> builtModule_;
    std::string builtLanguage_;
};

}  // namespace tidewell
