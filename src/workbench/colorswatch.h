#pragma once

#include <QFrame>

#include <optional>

class QLineEdit;

// A small patch in the colour the board shows for a colour value (0 to 255), beside
// the number that names it; empty while there is no colour value to show.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    // A swatch that shows the colour a box's text names, updated as the text changes.
    static ColorSwatch* following(QLineEdit* box, const char* name, QWidget* parent);

    std::optional<int> value() const { return m_value; }
    // A colour value shows; anything outside 0 to 255 empties the swatch.
    void setValue(int value);
    // The colour a text names when it is a plain decimal colour value, else none.
    void showText(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<int> m_value;
};
