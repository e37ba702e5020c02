#pragma once

#include <QWidget>

#include <memory>

class ConversationModel;
class EventScreenPanel;
class QLabel;
class QTableView;
class TracePlayback;
class Workbench;

// A saved trace, opened read only: its rows as the Monitor shows them (decoded again
// from their bytes) and the board's screen after each. Nothing is sent.
class frmTrace : public QWidget {
    Q_OBJECT
public:
    // Asks for a trace file and opens it in a window of its own; a file that is no
    // trace, or is cut short, gets a message naming the line, and no window.
    static frmTrace* open(Workbench& workbench, QWidget* parent);

    frmTrace(Workbench& workbench, std::unique_ptr<TracePlayback> playback, const QString& name,
             QWidget* parent = nullptr);
    ~frmTrace() override;

    ConversationModel& model() { return *m_model; }

private:
    void showSelectedEvent();

    std::unique_ptr<TracePlayback> m_playback;
    ConversationModel* m_model;
    QTableView* tblConversation;
    QLabel* lblEvent;
    EventScreenPanel* m_screen;
};
