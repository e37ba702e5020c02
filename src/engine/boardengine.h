#pragma once

#include "engine/uploader.h"

#include <QObject>
#include <QString>

#include <memory>

class Clock;
class ConnectionController;
class Conversation;
class MSserial;
class PortCatalog;
class Session;
class WriteList;

// Everything that drives one board, free of windows: the port over its link, the
// shared session state, the connection with its timers, and the uploads. Programs
// and windows are its views: they hand it commands and uploads and follow its signals.
class BoardEngine : public QObject {
    Q_OBJECT
public:
    BoardEngine(std::shared_ptr<Clock> clock, std::shared_ptr<PortCatalog> ports,
                QObject* parent = nullptr);
    ~BoardEngine() override;

    MSserial& port() { return *m_port; }
    Session& session() { return *m_session; }
    ConnectionController& connection() { return *m_connection; }
    Uploader& uploader() { return *m_uploader; }
    // What crossed the line, decoded, for a monitor or a trace.
    Conversation& conversation() { return *m_conversation; }
    Clock& clock() { return *m_clock; }
    PortCatalog& ports() { return *m_ports; }

    // Whether a command may go out now: the port is open (otherwise nothing happens,
    // silently) and no upload owns the line (a command would land in the middle of
    // its data: commandHeldBack() tells).
    bool readyForCommand();
    // The command's writes, when readyForCommand(). Returns whether they went out.
    bool send(const WriteList& writes);

    // Leaves the board: an upload that is running finishes the board's command first.
    void disconnect();

Q_SIGNALS:
    void commandHeldBack(const QString& runningUpload);

private:
    void recordConversation();

    std::shared_ptr<Clock> m_clock;
    std::shared_ptr<PortCatalog> m_ports;
    Session* m_session;
    MSserial* m_port;
    ConnectionController* m_connection;
    Uploader* m_uploader;
    Conversation* m_conversation;
    bool m_disconnectAfterUpload = false;
};
