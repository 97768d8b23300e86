#include "ui/app_table_model.h"

#include "model/app_model.h"
#include "ui/page_texts.h"
#include "ui/qt_text.h"

namespace tidewell {

AppTableModel::AppTableModel(AppModel& model, QObject* parent) : QAbstractTableModel(parent), model_(model) {}

void AppTableModel::setApps(std::vector<AppInfo> apps) {
    beginResetModel();
    apps_ = std::move(apps);
    endResetModel();
}

void AppTableModel::retitle() {
    emit headerDataChanged(Qt::Horizontal, 0, columnCount_ - 1);
    if (!apps_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount_ - 1));
}

int AppTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(apps_.size());
}

int AppTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

namespace {

QVariant displayText(const AppModel& model, const AppInfo& app, int column) {
    switch (column) {
        case AppTableModel::appColumn:
            return toQString(app.name);
        case AppTableModel::sizeColumn:
            return toQString(app.totalDiskText());
        case AppTableModel::lastUsedColumn:
            return PageTexts::shown(model, app.lastUsedText());
        case AppTableModel::memoryColumn:
            return toQString(app.memoryText());
        default:
            return PageTexts::shown(model, app.statusText());
    }
}

QVariant sortValue(const AppModel& model, const AppInfo& app, int column) {
    switch (column) {
        case AppTableModel::appColumn:
            return toQString(app.name).toLower();
        case AppTableModel::sizeColumn:
            return qint64(app.totalDiskBytes());
        case AppTableModel::lastUsedColumn:
            return app.lastUsedDate ? qint64(app.lastUsedDate->time_since_epoch().count())
                                    : std::numeric_limits<qint64>::min();
        case AppTableModel::memoryColumn:
            return qint64(app.memoryBytes);
        default:
            return PageTexts::shown(model, app.statusText());
    }
}

}  // namespace

QVariant AppTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const AppInfo& shown = app(index.row());
    if (role == Qt::DisplayRole) return displayText(model_, shown, index.column());
    if (role == sortRole) return sortValue(model_, shown, index.column());
    if (role == Qt::TextAlignmentRole && index.column() != appColumn && index.column() != statusColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant AppTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static constexpr const char* keys[] = {"appColumn", "sizeColumn", "lastUsedColumn", "memoryColumn", "statusColumn"};
    if (section < 0 || section >= columnCount_) return {};
    return toQString(model_.t(keys[section]));
}

}  // namespace tidewell
