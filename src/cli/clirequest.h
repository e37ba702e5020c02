#pragma once

#include "engine/commands.h"
#include "engine/uploader.h"
#include "engine/uploadplan.h"
#include "engine/writelist.h"
#include "graphic/pictureconversion.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A picture file and how it is sized and brought to the board's colours.
struct PictureSource {
    QString path;
    PictureOptions options;
};

// A desktop font (by family, or from a font file) at a point size.
struct FontSource {
    QString family;
    QString file;
    int pointSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Commands::FontSlot slot = Commands::FontSlot::Font1;
};

// Touch reporting switched on until this many reports came or this long passed (0: no
// limit; Ctrl-C ends it then).
struct TouchListening {
    bool keypad = false;
    int count = 0;
    int milliseconds = 0;
};

// check, render or provision, as typed.
struct ProjectCall {
    QString command;
    QString file;
    QMap<QString, QString> options;
};

// One command of the command line, checked and ready to run on a board.
struct CliStep {
    enum class Kind {
        Identify,   // print the board's answer to the identification
        Send,       // writes, nothing awaited
        TouchPause, // touch reporting off, a pause, then the writes
        BaudRate,   // the board's speed change and the reconnect
        Preview,
        Save,
        Font,
        Touch,
        Project, // check, render or provision a board project (ProjectCommand)
    };

    Kind kind = Kind::Send;
    // As the user named it, for messages: "pixel".
    QString command;
    WriteList writes;
    int rateIndex = -1;
    quint8 slot = 0;
    PictureSource picture;
    FontSource font;
    TouchListening touch;
    // Project: the project file and the command's options as given.
    ProjectCall project;
    // For Font: made from the font before anything is sent (pictures are made into
    // their upload when their step runs).
    UploadPlan plan;
};

// The options that hold for every board and every command of a call.
struct CliSettings {
    QStringList ports;
    bool allPorts = false;
    int baudRate = 115200;
    Pacing pacing = Pacing::AnswerDriven;
    int timeoutMs = 5000;
    bool quiet = false;
    bool trace = false;
    QString screenshotFile;

    // The in-process simulator's names on the command line.
    static bool isSimulatorName(const QString& port);
    bool usesSimulator() const;
};

// What a command line asks for.
struct CliRequest {
    enum class Action { Run, ListPorts, Doctor, ShowText, Refuse };

    Action action = Action::Refuse;
    // The help or version text (ShowText), why the line is refused (Refuse), or the port
    // to examine (Doctor; empty: every port).
    QString text;
    CliSettings settings;
    QList<CliStep> steps;
};
