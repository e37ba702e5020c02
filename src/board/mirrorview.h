#pragma once

#include <QImage>
#include <QWidget>

struct MirrorScreen;

// A mirrored screen at 1x, the pixels nobody knows hatched. It takes no clicks: a
// mirror cannot touch the board.
class MirrorView : public QWidget {
    Q_OBJECT
public:
    explicit MirrorView(QWidget* parent = nullptr);

    void setScreen(const MirrorScreen& screen);
    // Nothing to show (the view stays blank, grey).
    void clearScreen();
    const QImage& image() const { return m_image; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};
