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

void Session::pickColor(int color) {
    Q_EMIT colorPicked(m_colorRequester, color);
    setSelectedColor(color);
}
