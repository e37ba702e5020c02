#pragma once

#include <QObject>
#include <QString>

// The state that outlives the tool windows: the board's latest answer, the drawing
// colour, the window that asked the colour picker, and the touch reporting mode.
class Session : public QObject {
    Q_OBJECT
public:
    // Who opened the colour picker, and so gets its colour in its colour box.
    enum class ColorRequester { None, Text, Coordinates };
    Q_ENUM(ColorRequester)
    // The touch reporting mode switched on last; Unset until the port list was first read.
    enum class TouchMode { Unset, Off, Coordinates, Keypad };
    Q_ENUM(TouchMode)

    using QObject::QObject;

    // The most recent read of the port; "" when that read found nothing. Each receive
    // poll replaces it; a sender that needs a fresh answer clears it.
    QString controllerResponse() const { return m_controllerResponse; }
    void setControllerResponse(const QString& response) { m_controllerResponse = response; }
    void clearControllerResponse() { m_controllerResponse.clear(); }

    // A colour value, 0 until the port list was first read.
    int selectedColor() const { return m_selectedColor; }
    void setSelectedColor(int color);

    ColorRequester colorRequester() const { return m_colorRequester; }
    void setColorRequester(ColorRequester requester) { m_colorRequester = requester; }
    // The colour picker's choice: the window that asked for it shows it (colorPicked),
    // and it becomes the selected colour.
    void pickColor(int color);

    TouchMode touchMode() const { return m_touchMode; }
    void setTouchMode(TouchMode mode);

Q_SIGNALS:
    void colorPicked(Session::ColorRequester requester, int color);
    void selectedColorChanged(int color);
    void touchModeChanged(Session::TouchMode mode);

private:
    QString m_controllerResponse;
    int m_selectedColor = 0;
    ColorRequester m_colorRequester = ColorRequester::None;
    TouchMode m_touchMode = TouchMode::Unset;
};
