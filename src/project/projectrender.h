#pragma once

#include "project/projectplan.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class BoardEmulator;

// What a board shows once a project is on it, made on the simulator without a board:
//   slot-01.png ...   each stored picture, as "load" shows it
//   font-1.png ...    the characters "!" to "~" in each loaded font, white on black
//   start.png         the screen after the whole project
namespace ProjectRender {

struct Image {
    QString fileName;
    QImage image;
};

QList<Image> images(const ProjectPlan& plan);

// Writes the images into folder (made when missing) and removes pictures of slots and
// fonts that the project no longer has; the names written, or false with the reason.
bool write(const ProjectPlan& plan, const QString& folder, QStringList* written, QString* error);

// The step's bytes as the board receives them.
void feed(BoardEmulator& board, const CliStep& step);

} // namespace ProjectRender
