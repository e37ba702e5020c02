#include "board/simulatorlink.h"

#include "board/boardemulator.h"

#include <QSerialPort>

SimulatorLink::SimulatorLink(BoardEmulator& board, Clock& clock, OpenChanged onOpenChanged,
                             QObject* parent)
    : SerialLink(parent)
    , m_board(&board)
    , m_onOpenChanged(std::move(onOpenChanged))
    , m_guard(board, clock) {
    // The board answers inside the write that it answers; the reader hears of it once
    // that write has returned, as it would from a real line.
    connect(
        &board, &BoardEmulator::answersReady, this,
        [this] {
            if (m_open && m_board && m_board->hearsLine())
                Q_EMIT readyRead();
        },
        Qt::QueuedConnection);
}

SimulatorLink::~SimulatorLink() {
    close();
}

bool SimulatorLink::open(int baudRate) {
    if (!m_board) {
        m_error = {int(QSerialPort::DeviceNotFoundError), tr("The board simulator is gone.")};
        return false;
    }
    m_open = true;
    m_error = {};
    // A fresh line: nothing half-sent, nothing stale waiting to be read.
    m_board->lineReset();
    m_board->setLineBaudRate(baudRate);
    m_board->takeAnswers();
    if (m_onOpenChanged)
        m_onOpenChanged(true);
    return true;
}

void SimulatorLink::close() {
    if (!m_open)
        return;
    m_open = false;
    if (m_board) {
        m_board->lineReset();
        m_board->setLineBaudRate(0);
    }
    if (m_onOpenChanged)
        m_onOpenChanged(false);
}

bool SimulatorLink::write(QByteArrayView bytes) {
    if (!m_open || !m_board)
        return false;
    m_board->feed(bytes);
    m_guard.bytesFed();
    return true;
}

QByteArray SimulatorLink::readAll() {
    if (!m_open || !m_board)
        return {};
    const QByteArray answers = m_board->takeAnswers();
    return m_board->hearsLine() ? answers : QByteArray();
}
