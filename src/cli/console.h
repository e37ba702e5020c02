#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Where lumaret-cli writes: lines to the standard and the error output, and, when the
// error output is a terminal, one status line (the progress bar) that other lines
// push down rather than break up.
class Console {
public:
    struct Streams {
        std::function<void(const QByteArray&)> out;
        std::function<void(const QByteArray&)> err;
        bool errorIsTerminal = false;
        int terminalWidth = 80;
    };

    explicit Console(Streams streams);
    // The process's own standard output and error output.
    static Streams standardStreams();

    void print(const QString& line);
    void error(const QString& line);
    // Terminal only: shows the status line, or removes it when text is empty.
    void setStatus(const QString& text);
    bool showsStatus() const { return m_streams.errorIsTerminal; }
    int width() const { return m_streams.terminalWidth; }

private:
    void clearStatus();
    void drawStatus();

    Streams m_streams;
    QString m_status;
};
