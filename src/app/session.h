#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

// The state that outlives the tool windows: the board's latest answer, the drawing
// colour, who asked the colour picker, the touch mode, the font test counter, and
// which transfer (if any) currently owns the line.
class Session : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The most recent read of the port; "" when that read found nothing. Each receive
    // poll replaces it; a sender that needs a fresh answer clears it.
    QString controllerResponse() const { return m_controllerResponse; }
    void setControllerResponse(const QString& response) { m_controllerResponse = response; }
    void clearControllerResponse() { m_controllerResponse.clear(); }
    // Called by the receive poll after it replaced the response.
    void notifyPolled() { Q_EMIT polled(); }

    int selectedColor() const { return m_selectedColor; }
    void setSelectedColor(int color) { m_selectedColor = color; }

    QString colorRequester() const { return m_colorRequester; }
    void setColorRequester(const QString& requester) { m_colorRequester = requester; }

    QString touchMode() const { return m_touchMode; }
    void setTouchMode(const QString& mode) { m_touchMode = mode; }

    int fontLoopIndex() const { return m_fontLoopIndex; }
    void setFontLoopIndex(int index) { m_fontLoopIndex = index; }

    // Uploads take turns: only one may own the line at a time.
    bool transferRunning() const { return !m_transfer.isNull(); }
    QString runningTransferName() const;
    bool beginTransfer(QObject* transfer);
    // Later: from a destructor, where listeners must not be called back at once.
    enum class Notify { Now, Later };
    void endTransfer(QObject* transfer, Notify notify = Notify::Now);

Q_SIGNALS:
    void polled();
    void transferRunningChanged(bool running);

private:
    QString m_controllerResponse;
    int m_selectedColor = 0;
    QString m_colorRequester;
    QString m_touchMode;
    int m_fontLoopIndex = 0;
    QPointer<QObject> m_transfer;
};
