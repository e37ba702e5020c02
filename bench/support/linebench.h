#pragma once

#include "benchfigures.h"
#include "boardprocess.h"
#include "workbench/userdialogs.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class BoardEngine;
class frmMainMDI;
class QWidget;

// Dialogs that need nobody: open dialogs take the next of fileAnswers, the font dialog
// takes font, and messages are recorded (a benchmark run should show none but "Done.").
class BenchDialogs : public UserDialogs {
public:
    Answer message(QWidget*, const QString& title, const QString& text, Icon, Buttons) override;
    QString openFileName(QWidget*, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<FontChoice> chooseFont(QWidget*, const QString&, const FontChoice&) override;

    QStringList fileAnswers;
    QFont font;
    QStringList messages;
};

// The whole program (main window, tool windows, a real serial port) against the board
// simulator on a pseudo-terminal, lumaret-board --line-rate at 115200 bit/s: the board
// reads and answers no faster than the line allows, as a real one would.
class LineBench {
public:
    static constexpr int BaudRate = 115200;
    // Ten bits a byte on the line: a start bit, eight data bits and a stop bit.
    static double lineSeconds(qint64 bytes) { return double(bytes) * 10.0 / BaudRate; }

    LineBench();
    ~LineBench();

    // Starts the board and connects to it; false (after saying why) when it cannot.
    bool start();
    frmMainMDI& main() { return *m_main; }
    BoardEngine& engine();
    BenchDialogs& dialogs() { return *m_dialogs; }
    QWidget* open(const QString& window);
    QTemporaryDir& folder() { return m_folder; }
    // The board's screen, read back through the simulator's screenshot command.
    QByteArray boardScreen();

    // Runs the event loop until done() holds or the time is up.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs);

private:
    BoardProcess m_board;
    QTemporaryDir m_folder;
    std::shared_ptr<BenchDialogs> m_dialogs;
    std::unique_ptr<frmMainMDI> m_main;
};
