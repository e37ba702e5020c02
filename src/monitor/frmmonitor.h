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

    void cmdPause_Click(bool paused);
    void cmdClear_Click();
    void cmdSave_Click();
    void cmdOpen_Click();

private:
    void applyFilter();
    void followNewest();
    void showCounts();
    void showDetails();
    bool save(const QString& path, QString* error) const;

    Workbench& m_workbench;
    ConversationModel* m_model;
    QPushButton* cmdPause;
    QPushButton* cmdClear;
    QPushButton* cmdSave;
    QPushButton* cmdOpen;
    EventScreenPanel* m_screen;
    QCheckBox* chkCommands;
    QCheckBox* chkAnswers;
    QCheckBox* chkUploadBlocks;
    QCheckBox* chkFollow;
    QTableView* tblConversation;
    QPlainTextEdit* txtDetails;
    QLabel* lblCounts;
};
