#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control: two arrow buttons that step a whole number within a range.
// With a buddy box, the box shows the value, and a number typed there (or stepped
// with the Up and Down keys) becomes the value; the box never holds a number out
// of range.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    int value() const { return m_value; }
    // Values outside the range are taken as the nearest end of it.
    void setValue(int value);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    void setBuddy(QLineEdit* box);

Q_SIGNALS:
    void valueChanged(int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void step(int steps);
    void takeTypedValue();
    void showInBuddy();

    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    QToolButton* m_up;
    QToolButton* m_down;
    QLineEdit* m_buddy = nullptr;
};
