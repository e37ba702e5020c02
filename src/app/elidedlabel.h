#pragma once

#include <QLabel>

// A one-line label that never asks for more room than it is given: a text too long for
// it ends in "...", and the whole text shows as its tool tip. The main window keeps its
// size whatever the status bar says.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void setText(const QString& text);
    // Up to this width the label claims room for its whole text (0: it claims none and
    // takes what is left to it).
    void setWholeTextUpTo(int width) { m_wholeTextUpTo = width; }
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_wholeTextUpTo = 0;
};
