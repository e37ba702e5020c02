#include "board/pty/pseudoterminalboard.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cmath>

namespace {

// Bytes taken from the device per read, and held at most while pacing (the rest
// waits in the device, as it would in a real sender's buffer).
constexpr qsizetype ReadChunk = 65536;
constexpr qsizetype PacedBacklog = 1024;
// Paced bytes due within this much of a timer tick go at that tick: timers wake on
// whole milliseconds, and rounding either way keeps the average on time.
constexpr qint64 TimerSlackNs = 500000;
constexpr qint64 NsPerMs = 1000000;

} // namespace

PseudoTerminalBoard::PseudoTerminalBoard(Clock& clock, QObject* parent)
    : PseudoTerminalBoard(clock, Options(), parent) {}

PseudoTerminalBoard::PseudoTerminalBoard(Clock& clock, const Options& options, QObject* parent)
    : QObject(parent)
    , m_guard(m_board, clock)
    , m_lineRate(options.lineRate)
    , m_inbound(options.baudRate)
    , m_outbound(options.baudRate) {
    m_lineTime.start();
    m_board.setBaudRate(options.baudRate);
    if (!m_pty.isOpen())
        return;
    m_board.setLineBaudRate(m_pty.deviceBaudRate());
    m_guard.setLineCheck([this] { followDeviceSpeed(); });

    m_readable = new QSocketNotifier(m_pty.masterDescriptor(), QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &PseudoTerminalBoard::readFromLine);
    connect(&m_board, &BoardEmulator::answersReady, this, &PseudoTerminalBoard::sendAnswers);
    m_paceTimer.setSingleShot(true);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &PseudoTerminalBoard::pace);
}

PseudoTerminalBoard::~PseudoTerminalBoard() = default;

void PseudoTerminalBoard::followDeviceSpeed() {
    const int speed = m_pty.deviceBaudRate();
    if (speed == m_board.lineBaudRate())
        return;
    // A fresh line: drop the half-sent command and the answers nobody read.
    m_board.lineReset();
    m_board.setLineBaudRate(speed);
    m_board.takeAnswers();
    m_inbound.clear();
    m_outbound.clear();
    m_pty.discardUnread();
    m_ignoring = false;
}

void PseudoTerminalBoard::readFromLine() {
    followDeviceSpeed();
    if (!m_lineRate) {
        const QByteArray bytes = m_pty.read(ReadChunk);
        if (!bytes.isEmpty())
            feedBoard(bytes);
        return;
    }
    const qsizetype room = PacedBacklog - m_inbound.pending();
    if (room > 0) {
        m_inbound.setBaudRate(m_board.baudRate());
        // Time this side was late with its last answer held the sender up; a real
        // board would not have, so the line gets that time back.
        m_inbound.push(m_pty.read(room), nowNs() - std::exchange(m_lateNs, 0));
    }
    pace();
}

void PseudoTerminalBoard::feedBoard(const QByteArray& bytes) {
    if (!m_board.hearsLine() && !m_ignoring) {
        m_ignoring = true;
        Q_EMIT notice(tr("Ignoring bytes sent at %1 baud: the board listens at %2 baud")
                          .arg(m_board.lineBaudRate())
                          .arg(m_board.baudRate()));
    }
    if (m_board.hearsLine())
        m_ignoring = false;
    m_board.feed(bytes);
    m_guard.bytesFed();
}

void PseudoTerminalBoard::sendAnswers() {
    const QByteArray answers = m_board.takeAnswers();
    // A touch report may come before the program said anything: look at its speed now.
    followDeviceSpeed();
    if (answers.isEmpty() || !m_board.hearsLine())
        return;
    if (!m_lineRate) {
        writeToLine(answers);
        return;
    }
    m_outbound.setBaudRate(m_board.baudRate());
    // An answer starts when the byte that completed its command has arrived; a touch
    // report starts now.
    m_outbound.push(answers, m_heardAtNs >= 0 ? m_heardAtNs : nowNs());
    if (!m_paceTimer.isActive())
        m_paceTimer.start(0);
}

void PseudoTerminalBoard::writeToLine(const QByteArray& bytes) {
    const qsizetype written = m_pty.writeAvailable(bytes);
    // With nobody reading the device its buffer fills up; a real line loses the bytes.
    if (written < bytes.size() && !m_dropping) {
        m_dropping = true;
        Q_EMIT notice(tr("Answers dropped: nobody reads the device"));
    } else if (written == bytes.size()) {
        m_dropping = false;
    }
}

void PseudoTerminalBoard::pace() {
    const qint64 now = nowNs();
    const qint64 horizon = now + TimerSlackNs;
    qint64 heardAtNs = -1;
    const QByteArray arrived = m_inbound.takeArrived(horizon, &heardAtNs);
    if (!arrived.isEmpty()) {
        m_heardAtNs = heardAtNs;
        feedBoard(arrived);
        m_heardAtNs = -1;
    }
    qint64 answeredAtNs = -1;
    const QByteArray answers = m_outbound.takeArrived(horizon, &answeredAtNs);
    if (!answers.isEmpty()) {
        writeToLine(answers);
        m_lateNs = std::max<qint64>(0, now - answeredAtNs);
    }
    // A sender that asks faster than the answers can leave is not heard until they have
    // gone: the answers waiting for the line stay bounded.
    m_readable->setEnabled(m_inbound.pending() < PacedBacklog &&
                           m_outbound.pending() < PacedBacklog);

    qint64 next = -1;
    for (const qint64 due : {m_inbound.nextArrivalNs(), m_outbound.nextArrivalNs()}) {
        if (due >= 0)
            next = next < 0 ? due : std::min(next, due);
    }
    if (next >= 0) {
        const qint64 waitNs = std::max<qint64>(0, next - nowNs());
        m_paceTimer.start(int(std::llround(double(waitNs) / NsPerMs)));
    }
}
