#pragma once

#include "graphic/pictureconversion.h"

#include <QList>
#include <QString>

// A font for one of the board's two slots, as the font window takes it.
struct ProjectFont {
    int slot = 1;
    QString family;
    int pointSize = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    // Where it stands in the file (0: not read from a file).
    int line = 0;
};

// A picture for one of the twelve slots, sized and reduced as the graphic window does.
struct ProjectPicture {
    int slot = 1;
    // As written in the file: relative to the project's folder, or absolute.
    QString file;
    PictureFit fit = PictureFit::AsIs;
    PictureDither dither = PictureDither::None;
    int line = 0;
};

// A line of the start screen in the command-line tool's syntax.
struct ProjectStartLine {
    QString text;
    int line = 0;
};

// What one board gets: its speed, its fonts, its pictures and the screen it shows at
// the end. Kept as a TOML file (ProjectFile) that people write and review.
struct BoardProject {
    // Where it is kept; empty for a project not saved yet.
    QString path;
    // The comment lines at the top of its file, kept when the file is written again.
    QString headerComment;
    int baudRate = 115200;
    QList<ProjectFont> fonts;
    QList<ProjectPicture> pictures;
    QList<ProjectStartLine> start;

    // A picture's file as the system finds it.
    QString picturePath(const ProjectPicture& picture) const;
    // A file as the project writes it: relative to its folder where it can be.
    QString relativeFile(const QString& absolutePath) const;
    // The fonts and pictures ordered by slot, as they go to the board.
    void sortBySlot();
};
