#include "app/artwork.h"

#include "engine/colorvalue.h"
#include "icon/applicationicon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Artwork {
namespace {

constexpr int IconSize = 32;

QPixmap blankIcon() {
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The board's screen in miniature: colour bars of the 3-3-2 palette in a bezel.
void drawBoard(QPainter& painter, const QRectF& board) {
    painter.setPen(QPen(QColor(20, 60, 40), 2));
    painter.setBrush(QColor(24, 110, 70));
    painter.drawRoundedRect(board, 8, 8);
    const QRectF screen = board.adjusted(board.width() * 0.08, board.height() * 0.1,
                                         -board.width() * 0.08, -board.height() * 0.18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 10, 14));
    painter.drawRect(screen.adjusted(-3, -3, 3, 3));
    const int columns = 32;
    const qreal step = screen.width() / columns;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < 8; ++row) {
            const quint8 value = quint8((column / 4) * 32 + row * 4 + column % 4);
            painter.setBrush(QColor::fromRgb(ColorValue::expand(value)));
            painter.drawRect(QRectF(screen.left() + column * step,
                                    screen.top() + row * screen.height() / 8, step + 0.5,
                                    screen.height() / 8 + 0.5));
        }
    }
    // The serial header along the bottom edge.
    painter.setBrush(QColor(210, 180, 90));
    const qreal pinTop = board.bottom() - board.height() * 0.11;
    for (int pin = 0; pin < 8; ++pin)
        painter.drawRect(QRectF(board.left() + board.width() * (0.3 + pin * 0.05), pinTop, 5, 5));
}

} // namespace

QPixmap background(const QSize& size) {
    QPixmap pixmap(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(34, 52, 74));
    sky.setColorAt(1, QColor(14, 22, 34));
    painter.fillRect(pixmap.rect(), sky);

    // A faint pixel grid, as on a magnified LCD.
    painter.setPen(QColor(255, 255, 255, 10));
    for (int x = 0; x < size.width(); x += 12)
        painter.drawLine(x, 0, x, size.height());
    for (int y = 0; y < size.height(); y += 12)
        painter.drawLine(0, y, size.width(), y);

    const qreal boardWidth = size.width() * 0.42;
    drawBoard(painter, QRectF(size.width() - boardWidth - size.width() * 0.06, size.height() * 0.22,
                              boardWidth, boardWidth * 0.82));

    painter.setPen(QColor(230, 236, 244));
    QFont title = painter.font();
    title.setPointSizeF(30);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QPointF(size.width() * 0.07, size.height() * 0.42), QStringLiteral("Lumaret"));
    QFont subtitle = painter.font();
    subtitle.setPointSizeF(11);
    subtitle.setBold(false);
    painter.setFont(subtitle);
    painter.setPen(QColor(160, 184, 210));
    painter.drawText(QPointF(size.width() * 0.07, size.height() * 0.52),
                     QStringLiteral("Colour LCD controller workbench"));
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ApplicationIcon::render(size)));
    return icon;
}

QIcon toolbarIcon(const QString& key) {
    QPixmap pixmap = blankIcon();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(40, 48, 60), 1.5);
    if (key == QLatin1String("Settings")) {
        // A serial connector: a trapezoid shell with two rows of pins.
        QPainterPath shell;
        shell.moveTo(3, 9);
        shell.lineTo(29, 9);
        shell.lineTo(25, 23);
        shell.lineTo(7, 23);
        shell.closeSubpath();
        painter.setPen(outline);
        painter.setBrush(QColor(170, 180, 196));
        painter.drawPath(shell);
        painter.setBrush(QColor(210, 170, 60));
        for (int pin = 0; pin < 5; ++pin)
            painter.drawEllipse(QPointF(7.5 + pin * 4.25, 13.5), 1.6, 1.6);
        for (int pin = 0; pin < 4; ++pin)
            painter.drawEllipse(QPointF(9.6 + pin * 4.25, 18.5), 1.6, 1.6);
    } else if (key == QLatin1String("Font")) {
        // A letter built from pixels.
        static const char* const glyph[] = {"..##..", ".#..#.", "#....#",
                                            "######", "#....#", "#....#"};
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 70, 140));
        for (int row = 0; row < 6; ++row) {
            for (int column = 0; column < 6; ++column) {
                if (glyph[row][column] == '#')
                    painter.drawRect(QRectF(4 + column * 4, 4 + row * 4, 3.4, 3.4));
            }
        }
    } else if (key == QLatin1String("Graphic")) {
        painter.setPen(outline);
        painter.setBrush(QColor(150, 200, 240));
        painter.drawRect(QRectF(3, 6, 26, 20));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 200, 40));
        painter.drawEllipse(QPointF(22, 12), 3, 3);
        QPainterPath hills;
        hills.moveTo(4, 25);
        hills.lineTo(12, 14);
        hills.lineTo(18, 21);
        hills.lineTo(22, 17);
        hills.lineTo(28, 25);
        hills.closeSubpath();
        painter.setBrush(QColor(40, 140, 70));
        painter.drawPath(hills);
    } else if (key == QLatin1String("Color")) {
        const QColor swatches[] = {QColor(224, 0, 0), QColor(0, 200, 0), QColor(0, 0, 255),
                                   QColor(255, 220, 0)};
        painter.setPen(outline);
        for (int i = 0; i < 4; ++i) {
            painter.setBrush(swatches[i]);
            painter.drawRect(QRectF(4 + (i % 2) * 13, 4 + (i / 2) * 13, 11, 11));
        }
    }
    return QIcon(pixmap);
}

} // namespace Artwork
