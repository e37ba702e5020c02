#include "board/stalledcommandguard.h"

#include "board/boardemulator.h"
#include "engine/clock.h"

#include <algorithm>

StalledCommandGuard::StalledCommandGuard(BoardEmulator& board, Clock& clock, QObject* parent,
                                         int quietLimitMs)
    : QObject(parent)
    , m_board(&board)
    , m_clock(clock)
    , m_quietLimitMs(quietLimitMs)
    // A few looks within the quiet time, and often enough to notice a closed line soon.
    , m_checkIntervalMs(std::clamp(quietLimitMs / 4, 10, 250))
    , m_lastBytesMs(clock.elapsedMs()) {}

void StalledCommandGuard::bytesFed() {
    m_lastBytesMs = m_clock.elapsedMs();
    if (watching())
        scheduleCheck();
}

bool StalledCommandGuard::watching() const {
    return m_board && m_board->midCommand();
}

void StalledCommandGuard::scheduleCheck() {
    // One check at a time; a check that finds the board idle simply schedules no next one.
    if (m_checkScheduled)
        return;
    m_checkScheduled = true;
    m_clock.callAfter(m_checkIntervalMs, this, [this] {
        m_checkScheduled = false;
        check();
    });
}

void StalledCommandGuard::check() {
    if (!watching())
        return;
    if (m_lineCheck)
        m_lineCheck();
    if (watching() && m_clock.elapsedMs() - m_lastBytesMs >= m_quietLimitMs)
        m_board->lineReset();
    if (watching())
        scheduleCheck();
}
