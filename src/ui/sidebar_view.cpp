#include "ui/sidebar_view.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/app_model.h"
#include "ui/navigation.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"
#include "ui/sidebar_sections.h"
#include "ui/symbol_icons.h"

namespace tidewell {

namespace {

constexpr int itemRole = Qt::UserRole + 1;

}  // namespace

SidebarView::SidebarView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    auto* home = new QPushButton(this);
    home->setObjectName("homeButton");
    home->setIcon(iconForSymbol(symbol(SidebarItem::home)));
    connect(home, &QPushButton::clicked, this, [this] { Navigation::showHome(model_); });
    homeButton_ = home;
    layout->addWidget(home);

    auto* picker = new QHBoxLayout;
    for (ProductModule module : allProductModuleCases) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("moduleButton_") + toQString(rawValue(module)));
        button->setCheckable(true);
        button->setIcon(iconForSymbol(symbol(module)));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        connect(button, &QToolButton::clicked, this, [this, module] { Navigation::pickModule(model_, module); });
        moduleButtons_[static_cast<std::size_t>(module)] = button;
        picker->addWidget(button);
    }
    layout->addLayout(picker);

    rows_ = new QListWidget(this);
    rows_->setObjectName("sidebarRows");
    connect(rows_, &QListWidget::itemSelectionChanged, this, &SidebarView::selectionChangedByUser);
    layout->addWidget(rows_, 1);

    trustCard_ = new QLabel(this);
    trustCard_->setObjectName("trustCard");
    trustCard_->setFrameShape(QFrame::StyledPanel);
    trustCard_->setWordWrap(true);
    layout->addWidget(trustCard_);

    connect(&model_, &AppModel::selectionChanged, this, &SidebarView::rebuild);
    connect(&model_, &AppModel::languageChanged, this, &SidebarView::rebuild);
    rebuild();
}

QAbstractButton* SidebarView::homeButton() const {
    return homeButton_;
}

QAbstractButton* SidebarView::moduleButton(ProductModule module) const {
    return moduleButtons_[static_cast<std::size_t>(module)];
}

std::optional<int> SidebarView::rowOf(SidebarItem item) const {
    for (int row = 0; row < rows_->count(); ++row) {
        QVariant value = rows_->item(row)->data(itemRole);
        if (value.isValid() && value.toInt() == static_cast<int>(item)) return row;
    }
    return std::nullopt;
}

void SidebarView::rebuild() {
    rebuilding_ = true;
    const std::string& language = model_.language();
    homeButton_->setText(toQString(PageTexts::title(SidebarItem::home, language)));
    for (ProductModule module : allProductModuleCases) {
        QToolButton* button = moduleButtons_[static_cast<std::size_t>(module)];
        button->setText(toQString(PageTexts::title(module, language)));
        button->setChecked(model_.selectedProductModule() == module);
    }

    // Rows are replaced only when their content changes, never while a row click is handled.
    if (!built_ || builtModule_ != model_.selectedProductModule() || builtLanguage_ != language) {
        rows_->clear();
        for (const SidebarSection& section : moduleSections(model_.selectedProductModule(), language)) {
            addSectionTitle(section.title);
            for (SidebarItem item : section.items) addItemRow(item);
        }
        for (SidebarItem item : commonItems) addItemRow(item);
        built_ = true;
        builtModule_ = model_.selectedProductModule();
        builtLanguage_ = language;
    }
    rows_->clearSelection();
    if (auto selected = model_.selectedSidebarItem())
        if (auto row = rowOf(*selected)) rows_->setCurrentRow(*row);

    trustCard_->setText(
        toQString(model_.t("localScan") + "\n" + model_.t("trashFirst") + "\n" + model_.t("permissionOnDemand")));
    rebuilding_ = false;
}

void SidebarView::addSectionTitle(const std::string& title) {
    auto* row = new QListWidgetItem(toQString(title), rows_);
    row->setFlags(Qt::ItemIsEnabled);
    QFont font = row->font();
    font.setBold(true);
    row->setFont(font);
}

void SidebarView::addItemRow(SidebarItem item) {
    auto* row =
        new QListWidgetItem(iconForSymbol(symbol(item)), toQString(PageTexts::title(item, model_.language())), rows_);
    row->setData(itemRole, static_cast<int>(item));
}

void SidebarView::selectionChangedByUser() {
    if (rebuilding_) return;
    const QList<QListWidgetItem*> selected = rows_->selectedItems();
    if (selected.isEmpty()) return;
    QVariant value = selected.front()->data(itemRole);
    if (value.isValid()) model_.setSelectedSidebarItem(static_cast<SidebarItem>(value.toInt()));
}

}  // namespace tidewell
