#include "graphic/pictureloading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>

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

bool jpegFileIsComplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (const uchar* mapped = file.map(0, size))
        return jpegIsComplete(QByteArrayView(mapped, size));
    return jpegIsComplete(file.readAll());
}

} // namespace

LoadedPicture loadPicture(const QString& path, PictureFit fit) {
    LoadedPicture result;
    const QString file = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString& reason) {
        result.error = tr("Not opened: %1 (%2)").arg(file, reason);
        return result;
    };
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
    if (stored.isValid() && qint64(decoded.width()) * decoded.height() * 4 > PictureMemoryLimit) {
        result.outcome = LoadedPicture::Outcome::TooLarge;
        result.error = tr("%1 is a picture of %2 x %3 pixels: too large to open (at most "
                          "%4 million pixels).")
                           .arg(file)
                           .arg(stored.width())
                           .arg(stored.height())
                           .arg(PictureMemoryLimit / 4 / 1000000);
        return result;
    }
    if (jpeg && !jpegFileIsComplete(path))
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
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    return QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|"
                          "PNG Files(*.PNG)|*.PNG|All Pictures|") +
           patterns.join(QLatin1Char(';')) + QLatin1Char('|');
}
