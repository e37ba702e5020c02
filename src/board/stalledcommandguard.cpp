#include "board/stalledcommandguard.h"

#include "board/boardemulator.h"

#include <algorithm>

StalledCommandGuard::StalledCommandGuard(BoardEmulator& board, QObject* parent, int quietLimitMs)
    : QObject(parent)
    , m_board(&board)
    , m_quietLimitMs(quietLimitMs) {
    // A few looks within the quiet time, and often enough to notice a closed line soon.
    m_timer.setInterval(std::clamp(quietLimitMs / 4, 10, 250));
    connect(&m_timer, &QTimer::timeout, this, &StalledCommandGuard::check);
    m_sinceBytes.start();
}

void StalledCommandGuard::bytesFed() {
    m_sinceBytes.restart();
    if (m_board && m_board->midCommand() != m_timer.isActive()) {
        if (m_timer.isActive())
            m_timer.stop();
        else
            m_timer.start();
    }
}

void StalledCommandGuard::check() {
    if (m_board && m_board->midCommand() && m_lineCheck)
        m_lineCheck();
    if (m_board && m_board->midCommand() && m_sinceBytes.elapsed() >= m_quietLimitMs)
        m_board->lineReset();
    if (!m_board || !m_board->midCommand())
        m_timer.stop();
}
