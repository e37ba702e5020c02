#include "graphic/pictureloading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstring>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PictureLoading", text);
}

// How much smaller a JPEG of this upright size may decode for the scaling fits: Fill
// and Stretch need the most of it (every screen pixel from a part of its own), and a
// picture decoded at least as large as Fill shows it serves Fit too.
int jpegReduction(QSize upright) {
    const QSize needed = picturePlacement(upright, PictureFit::Fill).size();
    for (int factor : {8, 4, 2}) {
        if (upright.width() / factor >= needed.width() &&
            upright.height() / factor >= needed.height())
            return factor;
    }
    return 1;
}

quint32 littleEndian(const uchar* bytes, int count) {
    quint32 value = 0;
    for (int index = count - 1; index >= 0; --index)
        value = value << 8 | bytes[index];
    return value;
}

// Uncompressed BMP rows (and bit-field ones) fill the file from the pixel offset on.
bool bmpIsComplete(QByteArrayView data) {
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    constexpr qsizetype HeaderBytes = 34;
    if (data.size() < HeaderBytes || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const quint32 compression = littleEndian(bytes + 30, 4);
    if (compression != 0 && compression != 3)
        return true; // run-length data tells its end only while decoding
    const qint64 offset = littleEndian(bytes + 10, 4);
    const qint64 width = qint32(littleEndian(bytes + 18, 4));
    const qint64 height = qAbs(qint64(qint32(littleEndian(bytes + 22, 4))));
    const qint64 bits = littleEndian(bytes + 28, 2);
    const qint64 rowBytes = (qAbs(width) * bits + 31) / 32 * 4;
    return offset + rowBytes * height <= data.size();
}

// GIF blocks run to the trailer (0x3B): each extension and image is a chain of
// sub-blocks that ends with an empty one.
bool gifIsComplete(QByteArrayView data) {
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qsizetype size = data.size();
    constexpr qsizetype ScreenEnd = 13;
    if (size < ScreenEnd || std::memcmp(bytes, "GIF", 3) != 0)
        return false;
    const auto colourTable = [](uchar flags) {
        return flags & 0x80 ? qsizetype(3) << ((flags & 0x07) + 1) : qsizetype(0);
    };
    qsizetype at = ScreenEnd + colourTable(bytes[10]);
    const auto skipSubBlocks = [&] {
        while (at < size && bytes[at] != 0)
            at += bytes[at] + 1;
        ++at;
        return at <= size;
    };
    while (at < size) {
        const uchar block = bytes[at++];
        if (block == 0x3B)
            return true;
        if (block == 0x21) {
            ++at; // the extension's label
            if (!skipSubBlocks())
                return false;
        } else if (block == 0x2C) {
            if (at + 9 > size)
                return false;
            at += 9 + colourTable(bytes[at + 8]) + 1; // descriptor, table, code size
            if (!skipSubBlocks())
                return false;
        } else {
            return false;
        }
    }
    return false;
}

// PNG chunks run to IEND.
bool pngIsComplete(QByteArrayView data) {
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qsizetype size = data.size();
    qsizetype at = 8;
    while (at + 8 <= size) {
        const qint64 length =
            qint64(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
        const bool end = std::memcmp(bytes + at + 4, "IEND", 4) == 0;
        at += 12 + length;
        if (at > size)
            return false;
        if (end)
            return true;
    }
    return false;
}

// The size a BMP, PNG or GIF header declares, read from its first bytes: decoders may
// refuse a header that declares a huge picture with a reason that does not say so.
QSize declaredSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(32);
    const auto* bytes = reinterpret_cast<const uchar*>(head.constData());
    if (head.size() >= 26 && head.startsWith("BM"))
        return {qint32(littleEndian(bytes + 18, 4)), qAbs(qint32(littleEndian(bytes + 22, 4)))};
    if (head.size() >= 24 && head.startsWith("\x89PNG"))
        return {qint32(qFromBigEndian<quint32>(bytes + 16)),
                qint32(qFromBigEndian<quint32>(bytes + 20))};
    if (head.size() >= 10 && head.startsWith("GIF"))
        return {int(littleEndian(bytes + 6, 2)), int(littleEndian(bytes + 8, 2))};
    return {};
}

bool tooLarge(QSize size) {
    return size.isValid() && qint64(size.width()) * size.height() * 4 > PictureMemoryLimit;
}

// Whether the file holds all the data its format promises: decoders show a file cut
// short with its missing part filled in, some silently.
bool fileIsComplete(const QString& path, const QByteArray& format) {
    bool (*complete)(QByteArrayView) = nullptr;
    if (format == "jpeg")
        complete = jpegIsComplete;
    else if (format == "png")
        complete = pngIsComplete;
    else if (format == "gif")
        complete = gifIsComplete;
    else if (format == "bmp")
        complete = bmpIsComplete;
    else
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (const uchar* mapped = file.map(0, size))
        return complete(QByteArrayView(mapped, size));
    return complete(file.readAll());
}

} // namespace

LoadedPicture loadPicture(const QString& path, PictureFit fit) {
    LoadedPicture result;
    const QString file = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString& reason) {
        result.error = tr("Not opened: %1 (%2)").arg(file, reason);
        return result;
    };
    const auto refuseAsTooLarge = [&](QSize size) {
        result.outcome = LoadedPicture::Outcome::TooLarge;
        result.error = tr("%1 is a picture of %2 x %3 pixels: too large to open (at most "
                          "%4 million pixels).")
                           .arg(file)
                           .arg(size.width())
                           .arg(size.height())
                           .arg(PictureMemoryLimit / 4 / 1000000);
        return result;
    };
    // The size the file declares decides, whatever the fit: a reduced decode still
    // reads every pixel the header promises.
    if (const QSize declared = declaredSize(path); tooLarge(declared))
        return refuseAsTooLarge(declared);
    // The decoder's own guard for formats that tell their size only while decoding.
    QImageReader::setAllocationLimit(int(PictureMemoryLimit / (1024 * 1024)));
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return unreadable(reader.errorString());

    const QSize stored = reader.size();
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const bool jpeg = reader.format() == "jpeg";
    const int reduction =
        jpeg && stored.isValid() ? jpegReduction(turned ? stored.transposed() : stored) : 1;
    result.servesEveryFit = reduction == 1;
    QSize decoded = stored;
    if (fit != PictureFit::AsIs && reduction > 1) {
        decoded = QSize(stored.width() / reduction, stored.height() / reduction);
        reader.setScaledSize(decoded);
    }
    if (tooLarge(stored))
        return refuseAsTooLarge(stored);
    if (!fileIsComplete(path, reader.format()))
        return unreadable(tr("the picture data ends early"));

    const QImage image = reader.read();
    if (image.isNull())
        return unreadable(reader.errorString());
    result.image = image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    result.fullSize = !stored.isValid() ? image.size() : turned ? stored.transposed() : stored;
    result.outcome = LoadedPicture::Outcome::Loaded;
    return result;
}

bool jpegIsComplete(QByteArrayView data) {
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qsizetype size = data.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    qsizetype at = 2;
    // From marker to marker: segments are skipped by their length, and a scan's coded
    // data by looking for the next 0xFF that is neither a stuffed zero nor a restart.
    while (true) {
        const void* found = std::memchr(bytes + at, 0xFF, size_t(size - at));
        if (!found)
            return false;
        at = static_cast<const uchar*>(found) - bytes;
        while (at < size && bytes[at] == 0xFF)
            ++at;
        if (at >= size)
            return false;
        const uchar marker = bytes[at++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (at + 2 > size)
            return false;
        const int length = bytes[at] << 8 | bytes[at + 1];
        if (length < 2)
            return false;
        at += length;
        if (at > size)
            return false;
    }
}

QString pictureFileFilter() {
    QStringList patterns;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray& format : formats)
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format).toUpper());
    return QStringLiteral("Picture Files|") + patterns.join(QLatin1Char(';')) +
           QStringLiteral("|Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|");
}
