#pragma once

#include <QWidget>

#include <optional>

class BoardEmulator;

// The board's panel on the desktop: the screen scaled up (by whole steps while there
// is room, at the zoom it asks for), turned while the board is rotated, dimmed while the
// backlight is off, with the keypad in keypad mode and the cross to tap during a
// calibration. Mouse presses are touches on the panel; in keypad mode the keys
// 0-9, A-D, * and # press the keypad's keys.
class BoardView : public QWidget {
    Q_OBJECT
public:
    explicit BoardView(BoardEmulator& board, QWidget* parent = nullptr);

    // The whole-number scale the view asks its window for (2 at first).
    int zoom() const { return m_zoom; }
    void setZoom(int zoom);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // Where the panel is drawn inside the view.
    QRect panelRect() const;
    // The panel pixel under a point of the view, if the point is on the panel.
    std::optional<QPoint> panelPointAt(QPoint viewPoint) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage composedFrame() const;

    BoardEmulator& m_board;
    int m_zoom = 2;
};
