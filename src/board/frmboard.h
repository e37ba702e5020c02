#pragma once

#include <QWidget>

class BoardEmulator;
class BoardView;
class QLabel;
class Workbench;

// The "Board" window of the built-in simulator: the board's panel (touch it with the
// mouse) and a line with its speed, touch mode, beeper and backlight.
class frmBoard : public QWidget {
    Q_OBJECT
public:
    frmBoard(Workbench& workbench, BoardEmulator& board, QWidget* parent = nullptr);

    BoardEmulator& board() { return m_board; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showState();
    void announceBeep();

    Workbench& m_workbench;
    BoardEmulator& m_board;
    bool m_fitted = false;
    int m_beepFlashes = 0;

    BoardView* picScreen;
    QLabel* lblState;
    QLabel* lblBeep;
};
