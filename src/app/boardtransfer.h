#pragma once

#include "app/session.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <functional>

class Workbench;

// An upload that goes to the board block by block: each block is written, then the
// transfer waits until the receive poll brings an answer (any answer) before it
// writes the next one. Waiting costs nothing: the next block is sent from the poll.
//
// Only one transfer owns the line at a time in the whole program. Closing the
// owning window, disconnecting or losing the port stops a running transfer; the
// receive poll's interval and the progress bar are put back and the user is told.
class BoardTransfer : public QObject {
    Q_OBJECT
public:
    struct Steps {
        int blockCount = 0;
        // Writes block k; the wait for the board's answer follows.
        std::function<void(int block)> send;
        // Runs when the answer to block k has arrived, before block k + 1 is sent.
        std::function<void(int block)> answered;
    };

    // name: what the user reads in messages, such as "The picture preview".
    BoardTransfer(Workbench& workbench, const QString& name, QObject* owner);
    ~BoardTransfer() override;

    // Starts unless another transfer is running (the user is told) or the port is closed.
    bool start(Steps steps);
    bool isRunning() const { return m_running; }
    int currentBlock() const { return m_block; }
    // Stops a running transfer and tells the user why.
    void stop(const QString& reason);

Q_SIGNALS:
    void finished(bool completed);

private:
    void onPolled();
    void sendCurrentBlock();
    void finish(bool completed, Session::Notify notify);
    void tellStopped(const QString& reason);

    Workbench& m_workbench;
    QString m_name;
    Steps m_steps;
    bool m_running = false;
    bool m_waiting = false;
    int m_block = 0;
    int m_savedProgressMaximum = 0;
    QMetaObject::Connection m_pollConnection;
    QMetaObject::Connection m_portConnection;
};
