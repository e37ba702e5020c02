#pragma once

#include <QFrame>
#include <QImage>

#include <optional>

// The colour picker's palette picture. It reports where the mouse is over the
// picture and where the left button was clicked, in picture pixels; the frame's
// margin around the picture reports nothing.
class PaletteView : public QFrame {
    Q_OBJECT
public:
    explicit PaletteView(QWidget* parent = nullptr);

    // The colour shown at a point of the picture; nothing outside it.
    std::optional<QRgb> colorAt(QPoint point) const;

Q_SIGNALS:
    void mouseMoved(QPoint point);
    void clicked(QPoint point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The picture point under a widget position, if it lies on the picture.
    std::optional<QPoint> pictureAt(QPoint position) const;

    QImage m_picture;
};
