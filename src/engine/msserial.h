#pragma once

#include "engine/linetraffic.h"
#include "engine/portcatalog.h"
#include "engine/seriallink.h"
#include "engine/writelist.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Clock;

// The one port object of the program, shaped like the serial control the board's
// tools were designed around: a port name and a settings text ("115200,N,8,1"),
// open/close, Output one write at a time and Input that returns and empties what
// arrived. Sending on a closed port does nothing, silently.
class MSserial : public QObject {
    Q_OBJECT
public:
    // Closing a port puts its earlier line settings back at once: the last bytes written
    // need their time on the line first, and this moment more.
    static constexpr int LineDrainMs = 50;

    MSserial(const PortCatalog& catalog, const Clock& clock, QObject* parent = nullptr);
    ~MSserial() override;

    void setCommPort(const QString& name);
    QString commPort() const { return m_commPort; }
    // Takes a settings text the board can use; returns false and keeps the old one otherwise.
    bool setSettings(const QString& settings);
    QString settings() const { return m_settings; }

    bool portOpen() const;
    // Opens the named port at the settings' speed; on failure lastError() tells why.
    bool open();
    void close();

    // One write. Returns false when the port is closed or the write failed.
    bool output(QByteArrayView write);
    // Each write of the list as a write of its own, in order.
    bool output(const WriteList& writes);
    // Everything that arrived since the last call.
    QByteArray input();

    PortError lastError() const { return m_lastError; }
    // Microseconds since the port was last opened: the time scale of traffic().
    qint64 microsecondsOpen() const;

Q_SIGNALS:
    void portOpenChanged(bool open);
    // Bytes arrived on the open port: input() has something to give.
    void readyRead();
    // Every output and every input that brought bytes, as it happens (for a monitor
    // or a trace; costs nothing while nobody listens).
    void traffic(const LineTraffic& traffic);
    // The line went away while open; the port is closed already.
    void portLost(const PortError& error);

private:
    void onLinkLost(const PortError& error);
    void onLinkReadyRead();
    bool write(QByteArrayView bytes);
    bool observed() const;
    void recordWrites(const QByteArray& bytes, int writes);

    const PortCatalog& m_catalog;
    const Clock& m_clock;
    QString m_commPort;
    QString m_settings;
    std::unique_ptr<SerialLink> m_link;
    PortError m_lastError;
    // When the port was last opened, on the clock's scale (microseconds).
    std::optional<qint64> m_openedAtUs;
    // When the bytes that input() has not taken yet began to arrive.
    std::optional<qint64> m_arrivedAt;
};
