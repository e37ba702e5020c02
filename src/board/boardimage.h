#pragma once

#include <QByteArrayView>
#include <QImage>

class BoardEmulator;

// The board's screen as a desktop picture.
namespace BoardImage {

// The screen memory in drawing coordinates, each colour value shown as its colour.
QImage frame(const BoardEmulator& board);
// 76800 colour values, row by row, as a picture.
QImage frame(QByteArrayView screen);
// A picture in drawing coordinates as the panel shows it: turned by 180 degrees
// while the board is rotated.
QImage asPanel(QImage image, const BoardEmulator& board);
// The screen as the panel shows it.
QImage panel(const BoardEmulator& board);

} // namespace BoardImage
