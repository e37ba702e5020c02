#include "font/fontcapture.h"

#include "font/glyphcanvas.h"
#include "font/glyphscan.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr int LargestGlyphSide = 255;

CapturedGlyph captureGlyph(const QImage& canvas, char code) {
    const GlyphScan::ScannedGlyph scanned = GlyphScan::scanCanvas(canvas);
    return {code, scanned.width, scanned.height,
            scanned.hasInk() ? GlyphScan::packGlyphBitmap(scanned) : QByteArray()};
}

QList<CapturedGlyph> capturePass(const QFont& measureFont, const QFont& drawFont, int margin,
                                 QImage* lastCanvas) {
    QList<CapturedGlyph> glyphs;
    glyphs.reserve(Commands::GlyphCount);
    for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code) {
        const QImage canvas = GlyphCanvas::render(char(code), measureFont, drawFont, margin);
        glyphs.append(captureGlyph(canvas, char(code)));
        if (lastCanvas)
            *lastCanvas = canvas;
    }
    return glyphs;
}

// The characters of both passes that match, each named once, in character order.
template <typename Predicate> QString characters(const FontCapture& capture, Predicate matches) {
    std::array<bool, Commands::GlyphCount> named{};
    for (const QList<CapturedGlyph>* pass : {&capture.sizePass, &capture.glyphPass}) {
        for (const CapturedGlyph& glyph : *pass) {
            if (matches(glyph))
                named.at(quint8(glyph.code) - Commands::FirstGlyphCode) = true;
        }
    }
    QStringList names;
    for (int i = 0; i < Commands::GlyphCount; ++i) {
        if (named[i])
            names.append(QString(QLatin1Char(char(Commands::FirstGlyphCode + i))));
    }
    return names.join(QLatin1Char(' '));
}

} // namespace

bool CapturedGlyph::tooLarge() const {
    return width > LargestGlyphSide || height > LargestGlyphSide;
}

bool CapturedGlyph::fitsBoard() const {
    return width > 0 && height > 0 && !tooLarge();
}

FontCapture FontCapture::capture(const QFont& measureFont, const QFont& drawFont) {
    FontCapture result;
    result.sizePass = capturePass(measureFont, drawFont, GlyphCanvas::SizePassMargin, nullptr);
    result.glyphPass =
        capturePass(measureFont, drawFont, GlyphCanvas::GlyphPassMargin, &result.lastCanvas);
    return result;
}

bool FontCapture::isSendable() const {
    const auto fits = [](const CapturedGlyph& glyph) { return glyph.fitsBoard(); };
    return std::all_of(sizePass.begin(), sizePass.end(), fits) &&
           std::all_of(glyphPass.begin(), glyphPass.end(), fits);
}

QString FontCapture::charactersWithoutInk() const {
    return characters(
        *this, [](const CapturedGlyph& glyph) { return !glyph.tooLarge() && !glyph.fitsBoard(); });
}

QString FontCapture::charactersTooLarge() const {
    return characters(*this, [](const CapturedGlyph& glyph) { return glyph.tooLarge(); });
}

UploadPlan FontCapture::uploadPlan(Commands::FontSlot slot) const {
    QList<Commands::GlyphSize> sizes;
    for (const CapturedGlyph& glyph : sizePass)
        sizes.append(glyph.size());
    QList<UploadPlans::Glyph> glyphs;
    for (const CapturedGlyph& glyph : glyphPass)
        glyphs.append({glyph.size(), glyph.bitmap});
    return UploadPlans::font(slot, sizes, glyphs);
}
