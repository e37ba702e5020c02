#pragma once

#include <QWidget>

class ConversationModel;
class EventScreenPanel;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class Workbench;

// The protocol monitor: every command to the board and every answer from it, decoded
// into the board's terms, timed, with the answers' latency and each upload summed up.
// The table can pause, be cleared, filtered, follow the newest row, and be saved as a
// trace (one line per event) or as CSV. The selected row shows in full below.
class frmMonitor : public QWidget {
    Q_OBJECT
public:
    explicit frmMonitor(Workbench& workbench, QWidget* parent = nullptr);

    ConversationModel& model() { return *m_model; }
    // Every column's content in view, with room for the meaning.
    QSize sizeHint() const override { return m_naturalSize; }

private Q_SLOTS:
    void pauseOrResume(bool paused);
    void clearConversation();
    void saveConversation();
    void openTrace();

private:
    void applyFilter();
    void followNewest();
    void showCounts();
    void showDetails();
    bool save(const QString& path, QString* error) const;

    Workbench& m_workbench;
    ConversationModel* m_model;
    QSize m_naturalSize;
    QPushButton* m_pauseButton;
    QPushButton* m_clearButton;
    QPushButton* m_saveButton;
    QPushButton* m_openButton;
    EventScreenPanel* m_screen;
    QCheckBox* m_commandsCheck;
    QCheckBox* m_answersCheck;
    QCheckBox* m_uploadBlocksCheck;
    QCheckBox* m_followCheck;
    QTableView* m_table;
    QPlainTextEdit* m_detailsBox;
    QLabel* m_countsLabel;
};
