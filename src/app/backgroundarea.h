#pragma once

#include <QMdiArea>
#include <QPixmap>

// The area that holds the tool windows: the background picture at its design size,
// centred on a dark fill however large the main window grows.
class BackgroundArea : public QMdiArea {
    Q_OBJECT
public:
    BackgroundArea(const QPixmap& picture, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_picture;
};
