#pragma once

#include <QWidget>
#include <string_view>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tidewell {

class AppModel;
class PreviewTiles;

// The file-repair workspace: the queue of files (files may be dropped on the page), the
// selected file's recommendation, preview tiles, tool notes and findings, the export, extract and batch buttons with a
// progress bar and cancel, and the history of exports with reveal and open.
class RepairPage : public QWidget {
    Q_OBJECT

public:
    explicit RepairPage(AppModel& model, QWidget* parent = nullptr);

    QPushButton* chooseButton() const { return choose_; }
    QTreeWidget* queue() const { return queue_; }
    QTreeWidget* findings() const { return findings_; }
    PreviewTiles* preview() const { return preview_; }
    QLabel* toolNotes() const { return toolNotes_; }
    QTreeWidget* history() const { return history_; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void reloadQueue();
    void reloadSelection();
    void reloadHistory();
    void refreshState();
    void retitle();
    // An English page text in the interface language.
    QString text(std::string_view english) const;

    AppModel& model_;
    QLabel* title_ = nullptr;
    QLabel* subtitle_ = nullptr;
    QPushButton* choose_ = nullptr;
    QTreeWidget* queue_ = nullptr;
    QPushButton* remove_ = nullptr;
    QLabel* selectedTitle_ = nullptr;
    QLabel* recommendation_ = nullptr;
    PreviewTiles* preview_ = nullptr;
    QLabel* toolNotes_ = nullptr;
    QTreeWidget* findings_ = nullptr;
    QPushButton* exportCopy_ = nullptr;
    QPushButton* rebuild_ = nullptr;
    QPushButton* extract_ = nullptr;
    QPushButton* exportAll_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* historyTitle_ = nullptr;
    QTreeWidget* history_ = nullptr;
    QPushButton* reveal_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* clearHistory_ = nullptr;
};

}  // namespace tidewell
