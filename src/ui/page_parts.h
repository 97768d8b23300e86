#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;
class QBoxLayout;
class QComboBox;
class QLineEdit;
class QVBoxLayout;

namespace tidewell {

class AppModel;
struct CleanupCandidate;

// Small building blocks the pages share, so every page looks and retitles alike.
namespace PageParts {

// A large bold title and a grey subtitle under it, added to `layout`.
struct Header {
    QLabel* title = nullptr;
    QLabel* subtitle = nullptr;
};
Header addHeader(QVBoxLayout* layout, QWidget* parent);

// A progress bar with an undetermined value: shown only while work runs.
QProgressBar* busyBar(QWidget* parent);
// Shows `bar` with `fraction` (0...1) or as undetermined when the fraction is negative.
void showProgress(QProgressBar* bar, bool running, double fraction = -1);

QPushButton* button(QWidget* parent, const char* objectName, std::function<void()> action);

// The row above a filtered list: a filter picker with `filterCount` entries (titled later),
// a search field and the list's scan button; without a `scanName` the row has no scan button.
struct ListControls {
    QComboBox* filter = nullptr;
    QLineEdit* search = nullptr;
    QPushButton* scan = nullptr;
};
ListControls addListControls(QVBoxLayout* layout, QWidget* parent, std::size_t filterCount, const char* scanName,
                             std::function<void()> scan);

// A flat list of `columns` columns whose first column takes the spare width.
QTreeWidget* treeList(QWidget* parent, const char* objectName, int columns);
// A row whose every cell carries its full text as a tooltip, so a text cut off by its column can be read.
QTreeWidgetItem* addRow(QTreeWidget* list, const QStringList& texts);

// The items whose rows in `list` are checked, where row i shows items[i].
template <class Item>
std::vector<Item> checkedItems(const QTreeWidget* list, const std::vector<Item>& items) {
    std::vector<Item> checked;
    for (int row = 0; row < list->topLevelItemCount() && std::size_t(row) < items.size(); ++row)
        if (list->topLevelItem(row)->checkState(0) == Qt::Checked) checked.push_back(items[std::size_t(row)]);
    return checked;
}

// "label · size" for each item a confirmation lists, the label in the model's language.
QStringList confirmationItems(const AppModel& model, const std::vector<CleanupCandidate>& candidates);

// A grey explanatory line that wraps.
QLabel* note(QWidget* parent);

// A headline and a hint centred over `list` while it has no rows, so an empty list says why
// it is empty and what to do next.
QLabel* emptyListHint(QAbstractItemView* list);
void showEmptyListHint(QLabel* hint, bool listIsEmpty, const std::string& headline, const std::string& detail);

}  // namespace PageParts
}  // namespace tidewell
