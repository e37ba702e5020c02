#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A program built beside this benchmark (lumaret-cli, lumaret-board).
QString benchProgram(const char* name);

// lumaret-board --line-rate on a pseudo-terminal: a board that reads and answers no faster
// than its line allows, as a real one would.
class BoardProcess {
public:
    ~BoardProcess();

    // Starts the board; false (after saying why) when it cannot.
    bool start();
    // The pseudo-terminal the board listens on.
    const QString& device() const { return m_device; }
    // The board's screen, read back through its screenshot command; null when it did not
    // answer.
    QImage screen();

private:
    QProcess m_process;
    QString m_device;
    QTemporaryDir m_folder;
};
