#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// The state that outlives the tool windows: the board's latest answer, the drawing
// colour, who asked the colour picker, the touch reporting mode and the backlight.
class Session : public QObject {
    Q_OBJECT
public:
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

    // Whoever opens the colour picker asks for its colour: deliver gets the colour picked
    // while requester lives. A request replaces the one before; none delivers nowhere.
    void requestColor(QObject* requester, std::function<void(int)> deliver);
    void withdrawColorRequest() { requestColor(nullptr, {}); }
    // The colour picker's choice: the requester gets it, and it becomes the selected colour.
    void pickColor(int color);

    TouchMode touchMode() const { return m_touchMode; }
    void setTouchMode(TouchMode mode);

    // The board's backlight as last switched; taken to be on until then.
    bool backlightOn() const { return m_backlightOn; }
    void setBacklightOn(bool on);

Q_SIGNALS:
    void selectedColorChanged(int color);
    void touchModeChanged(Session::TouchMode mode);
    void backlightChanged(bool on);

private:
    QString m_controllerResponse;
    int m_selectedColor = 0;
    QPointer<QObject> m_colorRequester;
    std::function<void(int)> m_deliverColor;
    TouchMode m_touchMode = TouchMode::Unset;
    bool m_backlightOn = true;
};
