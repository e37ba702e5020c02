#include "workbench/colorswatch.h"

#include "engine/colorvalue.h"
#include "workbench/named.h"

#include <QLineEdit>
#include <QPainter>

namespace {

constexpr int Side = 18;
constexpr int LargestValue = 255;

} // namespace

ColorSwatch::ColorSwatch(QWidget* parent)
    : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(sizeHint());
}

ColorSwatch* ColorSwatch::following(QLineEdit* box, const char* name, QWidget* parent) {
    auto* swatch = named(new ColorSwatch(parent), name);
    swatch->showText(box->text());
    connect(box, &QLineEdit::textChanged, swatch, &ColorSwatch::showText);
    return swatch;
}

void ColorSwatch::setValue(int value) {
    const std::optional<int> shown =
        value >= 0 && value <= LargestValue ? std::optional<int>(value) : std::nullopt;
    if (shown == m_value)
        return;
    m_value = shown;
    setToolTip(m_value ? tr("The board's colour %1").arg(*m_value) : QString());
    update();
}

void ColorSwatch::showText(const QString& text) {
    bool number = false;
    const int value = text.trimmed().toInt(&number);
    setValue(number ? value : -1);
}

QSize ColorSwatch::sizeHint() const {
    return {Side, Side};
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_value)
        return;
    QPainter painter(this);
    painter.fillRect(contentsRect(), QColor::fromRgb(ColorValue::expand(quint8(*m_value))));
}
