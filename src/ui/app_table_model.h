#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "cleanup/app_info.h"

namespace tidewell {

class AppModel;

// The rows of an app list: App · Size · Last used · Memory · Status. The display role gives
// the texts the user reads; the sort role gives values that order as the user expects
// (bytes as numbers, never-used apps before any date).
class AppTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { appColumn, sizeColumn, lastUsedColumn, memoryColumn, statusColumn, columnCount_ };
    static constexpr int sortRole = Qt::UserRole + 1;

    explicit AppTableModel(AppModel& model, QObject* parent = nullptr);

    void setApps(std::vector<AppInfo> apps);
    const AppInfo& app(int row) const { return apps_[static_cast<std::size_t>(row)]; }
    // Re-reads the header and cell texts after a language change.
    void retitle();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    AppModel& model_;
    std::vector<AppInfo> apps_;
};

}  // namespace tidewell
