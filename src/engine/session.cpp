#include "engine/session.h"

void Session::setSelectedColor(int color) {
    if (m_selectedColor == color)
        return;
    m_selectedColor = color;
    Q_EMIT selectedColorChanged(color);
}

void Session::setTouchMode(TouchMode mode) {
    if (m_touchMode == mode)
        return;
    m_touchMode = mode;
    Q_EMIT touchModeChanged(mode);
}

void Session::setBacklightOn(bool on) {
    if (m_backlightOn == on)
        return;
    m_backlightOn = on;
    Q_EMIT backlightChanged(on);
}

void Session::requestColor(QObject* requester, std::function<void(int)> deliver) {
    m_colorRequester = requester;
    m_deliverColor = requester ? std::move(deliver) : std::function<void(int)>();
}

void Session::pickColor(int color) {
    if (m_colorRequester && m_deliverColor)
        m_deliverColor(color);
    setSelectedColor(color);
}
