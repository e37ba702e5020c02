#pragma once

#include "project/boardproject.h"
#include "project/projectissue.h"

#include <QByteArray>
#include <QString>

// A board project kept as TOML:
//   [board]     speed
//   [[font]]    slot, family, size, bold, italic, underline, strikeout
//   [[picture]] slot, file, size (as-is, fit, fill, stretch), dither (none, diffusion, ordered)
//   [start]     lines, each a command in lumaret-cli's syntax
// Reading checks the file's form: keys, types, ranges, slots taken twice. Whether the
// pictures, fonts and start lines are usable is the plan's question (ProjectPlan).
namespace ProjectFile {

// A project file is a page of text; anything much larger is no project.
inline constexpr qint64 LargestFile = 1024 * 1024;

struct Reading {
    BoardProject project;
    // Empty when the file is well formed.
    ProjectIssues issues;
};

Reading read(const QString& path);
// The text of a file at path (which names it in the issues and places its pictures).
Reading parse(const QByteArray& text, const QString& path);

// The project as a file: its header comment, then the board, the fonts and pictures by
// slot and the start lines, one value per line, so that a change is a small diff.
QByteArray text(const BoardProject& project);
// Writes the whole file or nothing; false with the reason.
bool write(const BoardProject& project, const QString& path, QString* error);

} // namespace ProjectFile
