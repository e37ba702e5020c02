#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A picture whose pixels differ from their neighbours, so that any shift shows.
QImage noisePicture(int width, int height);

// Picture files made byte by byte, for what the desktop's own writers do not make.

QByteArray jpegData(const QImage& picture);
// A JPEG whose EXIF block tells viewers to turn it (6: a quarter turn clockwise).
QByteArray turnedJpeg(const QImage& stored, quint16 orientation);
// A PNG that declares its size (8-bit RGB) and holds hardly any pixel data: enough to
// ask its size.
QByteArray pngDeclaring(quint32 width, quint32 height);
// A 1 x 1 animation of two frames: red, then blue.
QByteArray twoFrameGif();
// Writes the file whole; false when it could not.
bool writeFile(const QString& path, const QByteArray& data);
