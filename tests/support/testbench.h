#pragma once

#include "app/frmmainmdi.h"
#include "engine/boardengine.h"
#include "engine/session.h"
#include "manualclock.h"
#include "recordinglink.h"
#include "scripteddialogs.h"

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QStringList>

#include <memory>

class PortCatalog;
class QAbstractButton;
class QProgressBar;

// The whole program with its seams replaced: a clock the test moves, dialogs the
// test answers, and ports ("1", "3", "4" by default, opening COM1, COM3, COM4)
// whose line the test reads and answers.
class TestBench {
public:
    explicit TestBench(const QStringList& portLabels = {QStringLiteral("1"), QStringLiteral("3"),
                                                        QStringLiteral("4")},
                       bool builtInSimulator = false);
    // The program on the given ports, such as a pseudo-terminal opened through QSerialPort.
    explicit TestBench(std::shared_ptr<PortCatalog> catalog, bool builtInSimulator = false);
    ~TestBench();

    // The screen's area the program keeps its windows in, for benches made from now on.
    static QRect desktop;

    frmMainMDI& main() { return *m_main; }
    BoardEngine& engine() { return m_main->engine(); }
    QProgressBar& progressBar();
    ManualClock& clock() { return *m_clock; }
    ScriptedDialogs& dialogs() { return *m_dialogs; }
    TestLine& line() { return m_line; }
    // The ports the system has from now on, as when adapters are plugged in or out.
    void setPortLabels(const QStringList& labels) { m_portLabels = labels; }

    QWidget* open(const QString& windowName);
    QWidget* window(const QString& windowName);
    template <typename T> T* find(const QString& windowName, const QString& childName) {
        QWidget* tool = window(windowName);
        return tool ? tool->findChild<T*>(childName) : nullptr;
    }

    // The captions that differ from these "objectName:caption" pairs (a frame's title,
    // otherwise the control's text), each told as name, caption found and caption wanted.
    QStringList captionMismatches(const QString& windowName,
                                  std::initializer_list<const char*> namesAndCaptions);

    // Starts an upload of one block that owns the line until the board answers it.
    bool startUpload(const QString& description, const QByteArray& write);
    // Connects through the settings window to the first port; the board answers "100".
    void connectBoard();
    // Connects through the settings window to the built-in simulator (the bench must have it).
    void connectSimulator();
    // One receive poll that finds these bytes waiting.
    void poll(const QByteArray& arrived = QByteArray());
    // Runs events that were posted for later (deferred messages, queued signals).
    static void settle();

private:
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    TestLine m_line;
    QStringList m_portLabels;
    std::unique_ptr<frmMainMDI> m_main;
};

// Clicks a button the way a user does: only when it is enabled.
void click(QAbstractButton* button);
