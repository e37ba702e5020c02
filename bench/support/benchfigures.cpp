#include "benchfigures.h"

#include <QFontDatabase>
#include <QRandomGenerator>

#include <cstdio>
#include <ctime>

const char* verdict(bool met) {
    return met ? "ok" : "MISSED";
}

double processorSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

QImage noisePicture(int width, int height) {
    QRandomGenerator random(11);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    return image;
}

bool loadDejaVuSans() {
    if (QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")) >= 0)
        return true;
    std::fprintf(stderr, "DejaVuSans.ttf is missing (package fonts-dejavu-core)\n");
    return false;
}

void prepareBenchmark() {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
