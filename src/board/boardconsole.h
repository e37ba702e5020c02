#pragma once

#include <QString>

class BoardEmulator;

// The commands lumaret-board takes on its standard input, so that a user or a
// script can press the touch screen, take screenshots and look at the board:
//   touch X Y        a press on the panel at (X, Y)
//   key K            a key of the on-screen keypad (keypad mode)
//   screenshot [F]   the panel as a PNG file (F, or the --screenshot file)
//   state            the board's settings in one line
//   help
class BoardConsole {
public:
    BoardConsole(BoardEmulator& board, QString screenshotFile);

    // Carries out one line; returns what to print ("" when there is nothing to say).
    // Lines that go wrong return a text that starts with "error: ".
    QString execute(const QString& line);

    // Writes the panel's picture as PNG; returns false (and why) when it cannot.
    static bool saveScreenshot(const BoardEmulator& board, const QString& file,
                               QString* error = nullptr);
    static QString help();

private:
    QString state() const;

    BoardEmulator& m_board;
    QString m_screenshotFile;
};
