#include "picturefiles.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

namespace {

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    const QByteArray body = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(body), crc.data());
    return chunk + body + crc;
}

} // namespace

QByteArray jpegData(const QImage& picture) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 95);
    return data;
}

QByteArray turnedJpeg(const QImage& stored, quint16 orientation) {
    // APP1: "Exif", a big-endian TIFF header and one directory entry, the orientation.
    QByteArray exif("\xFF\xE1\x00\x22"
                    "Exif\x00\x00"
                    "MM\x00\x2A\x00\x00\x00\x08"
                    "\x00\x01"
                    "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00"
                    "\x00\x00\x00\x00",
                    36);
    qToBigEndian(orientation, exif.data() + 28);
    return jpegData(stored).insert(2, exif);
}

QByteArray pngDeclaring(quint32 width, quint32 height) {
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8;
    header[9] = 2;
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray("\x78\x9C\x03\x00\x00\x00\x00\x01", 8)) +
           pngChunk("IEND", {});
}

QByteArray twoFrameGif() {
    // Each frame: a graphic control block (a tenth of a second), the image block, and
    // one pixel in 3-bit codes: clear, the colour, end.
    const QByteArray frame = QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00"
                                        "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                                        "\x02\x02",
                                        20);
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00"
                      "\xFF\x00\x00\x00\x00\xFF",
                      19) +
           frame + QByteArray("\x44\x01\x00", 3) + frame + QByteArray("\x4C\x01\x00\x3B", 4);
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QImage noisePicture(int width, int height) {
    QRandomGenerator random(42);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    return image;
}
