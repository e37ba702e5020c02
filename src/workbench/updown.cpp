#include "workbench/updown.h"

#include "workbench/numberentry.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>
#include <QWheelEvent>

#include <algorithm>

namespace {

// Plain digits for a number in the up-down's range; a number beyond it cannot be
// typed, so the box never shows what the up-down does not hold.
class RangeValidator : public QValidator {
public:
    explicit RangeValidator(const UpDown& range, QObject* parent)
        : QValidator(parent)
        , m_range(range) {}

    State validate(QString& input, int&) const override {
        if (input.isEmpty())
            return Intermediate;
        const NumberEntry::Reading reading = NumberEntry::read(input, m_range.maximum());
        if (!reading.ok())
            return Invalid;
        return reading.value < m_range.minimum() ? Intermediate : Acceptable;
    }

private:
    const UpDown& m_range;
};

QToolButton* arrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAutoRepeatInterval(40);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

} // namespace

UpDown::UpDown(QWidget* parent)
    : QWidget(parent)
    , m_up(arrowButton(Qt::UpArrow, "up", this))
    , m_down(arrowButton(Qt::DownArrow, "down", this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setValue(int value) {
    value = std::clamp(value, m_minimum, m_maximum);
    if (value == m_value)
        return;
    m_value = value;
    showInBuddy();
    Q_EMIT valueChanged(m_value);
}

void UpDown::setRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    const int before = m_value;
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    showInBuddy();
    if (m_value != before)
        Q_EMIT valueChanged(m_value);
}

void UpDown::setBuddy(QLineEdit* box) {
    m_buddy = box;
    box->setValidator(new RangeValidator(*this, this));
    box->installEventFilter(this);
    connect(box, &QLineEdit::textEdited, this, &UpDown::takeTypedValue);
    showInBuddy();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy) {
        if (event->type() == QEvent::FocusOut) {
            // A box left empty shows the value again.
            showInBuddy();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        step(steps);
    event->accept();
}

void UpDown::step(int steps) {
    setValue(m_value + steps);
}

void UpDown::takeTypedValue() {
    if (m_buddy->hasAcceptableInput())
        setValue(NumberEntry::read(m_buddy->text(), m_maximum).value);
}

void UpDown::showInBuddy() {
    if (!m_buddy)
        return;
    // While the user types, "07" stays as typed; it already says 7.
    if (m_buddy->hasAcceptableInput() &&
        NumberEntry::read(m_buddy->text(), m_maximum).value == m_value)
        return;
    m_buddy->setText(QString::number(m_value));
}
