#include "board/boardview.h"

#include "board/boardemulator.h"
#include "board/boardimage.h"
#include "board/keypad.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

using BoardGeometry::Height;
using BoardGeometry::Width;

namespace {

// How much light is left of the picture with the backlight off.
constexpr int BacklightOffShade = 210;
constexpr int CrossArm = 10;

} // namespace

BoardView::BoardView(BoardEmulator& board, QWidget* parent)
    : QWidget(parent)
    , m_board(board) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&board, &BoardEmulator::screenChanged, this, qOverload<>(&QWidget::update));
    connect(&board, &BoardEmulator::settingsChanged, this, qOverload<>(&QWidget::update));
}

void BoardView::setZoom(int zoom) {
    if (zoom < 1 || zoom == m_zoom)
        return;
    m_zoom = zoom;
    updateGeometry();
}

QSize BoardView::sizeHint() const {
    return {Width * m_zoom, Height * m_zoom};
}

QSize BoardView::minimumSizeHint() const {
    return {Width / 2, Height / 2};
}

QRect BoardView::panelRect() const {
    double zoom = std::min(double(width()) / Width, double(height()) / Height);
    // Whole steps keep every board pixel the same size.
    if (zoom >= 1)
        zoom = std::floor(zoom);
    const QSize size(int(Width * zoom), int(Height * zoom));
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

std::optional<QPoint> BoardView::panelPointAt(QPoint viewPoint) const {
    const QRect panel = panelRect();
    if (!panel.contains(viewPoint) || panel.isEmpty())
        return std::nullopt;
    const QPoint inside = viewPoint - panel.topLeft();
    return QPoint(inside.x() * Width / panel.width(), inside.y() * Height / panel.height());
}

QImage BoardView::composedFrame() const {
    QImage frame = BoardImage::frame(m_board);
    QPainter painter(&frame);
    if (m_board.touchMode() == BoardEmulator::TouchMode::Keypad) {
        QFont font = painter.font();
        font.setPixelSize(22);
        font.setBold(true);
        painter.setFont(font);
        for (const Keypad::Key& key : Keypad::keys()) {
            const QRect area = key.area.adjusted(3, 3, -3, -3);
            painter.setPen(QPen(QColor(255, 255, 255, 200), 1));
            painter.setBrush(QColor(40, 40, 40, 170));
            painter.drawRoundedRect(area, 6, 6);
            painter.drawText(area, Qt::AlignCenter, QString(QLatin1Char(key.label)));
        }
    }
    if (const std::optional<QPoint> target = m_board.calibrationTarget()) {
        painter.setPen(QPen(Qt::white, 1));
        painter.drawLine(*target - QPoint(CrossArm, 0), *target + QPoint(CrossArm, 0));
        painter.drawLine(*target - QPoint(0, CrossArm), *target + QPoint(0, CrossArm));
        painter.setPen(QPen(Qt::red, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(*target, CrossArm / 2, CrossArm / 2);
    }
    painter.end();
    // The keypad and the cross turn with the picture.
    return BoardImage::asPanel(std::move(frame), m_board);
}

void BoardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(24, 24, 24));
    const QRect panel = panelRect();
    painter.drawImage(panel, composedFrame());
    if (!m_board.backlight())
        painter.fillRect(panel, QColor(0, 0, 0, BacklightOffShade));
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(panel.adjusted(-1, -1, 0, 0));
    }
}

void BoardView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<QPoint> point = panelPointAt(event->position().toPoint()))
        m_board.touch(*point);
}

void BoardView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text().toUpper();
    if (text.size() == 1 && m_board.pressKey(text.at(0).toLatin1()))
        return;
    QWidget::keyPressEvent(event);
}
