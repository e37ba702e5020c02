#include "board/boardmirror.h"
#include "engine/commands.h"
#include "engine/uploadplan.h"
#include "pseudoterminalbench.h"

#include <QTest>

namespace {

QByteArray patterned(int seed) {
    QByteArray pixels(BoardGeometry::PixelCount, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char((i * seed + i / BoardGeometry::Width) & 0xFF);
    return pixels;
}

// 94 glyphs of 6 x 9 with a different pattern each.
UploadPlan testFont(Commands::FontSlot slot) {
    QList<Commands::GlyphSize> sizes;
    QList<UploadPlans::Glyph> glyphs;
    for (int code = 33; code <= 126; ++code) {
        const Commands::GlyphSize size{6, 9};
        QByteArray bitmap(9, Qt::Uninitialized);
        for (int row = 0; row < 9; ++row)
            bitmap[row] = char((code * (row + 1)) & 0x3F);
        sizes.append(size);
        glyphs.append({size, bitmap});
    }
    return UploadPlans::font(slot, sizes, glyphs);
}

} // namespace

// The mirror of a real serial port's conversation against the board it mirrors: the
// simulator on a pseudo-terminal, whose own screen is the truth.
class tst_MirrorPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void equalsTheBoardWhereverItKnows();
};

void tst_MirrorPty::equalsTheBoardWhereverItKnows() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    BoardEmulator& board = line.board();
    // Something on the glass before Lumaret came: the mirror cannot know it.
    board.feed(Commands::fillRectangle({0, 0}, {319, 239}, 3).bytes());
    QVERIFY(line.connectBoard());
    BoardEngine& engine = line.bench().engine();
    const BoardMirror& mirror = BoardMirror::attachedTo(engine);
    const auto upload = [&](UploadPlan plan) {
        return engine.startUpload(std::move(plan), &engine) == Uploader::Start::Started &&
               line.finishTransfer();
    };

    engine.send(Commands::fillRectangle({10, 10}, {40, 30}, 224));
    QTRY_COMPARE(board.pixel(40, 30), quint8(224));
    QVERIFY(mirror.board().pixelKnown(10, 10) && mirror.board().pixelKnown(40, 30));
    QVERIFY(!mirror.board().pixelKnown(41, 30) && !mirror.board().pixelKnown(9, 10));

    QVERIFY(upload(UploadPlans::savePicture(3, patterned(7), 0)));
    QVERIFY(upload(UploadPlans::preview(patterned(3), 0)));
    QVERIFY(upload(testFont(Commands::FontSlot::Font2)));
    for (const WriteList& writes :
         {Commands::drawLine({0, 239}, {319, 0}, 28), Commands::drawCircle({160, 120}, 50, 3),
          Commands::fillCircle({100, 100}, 20, 200), Commands::drawRectangle({5, 5}, {300, 200}, 9),
          Commands::drawPixel({319, 239}, 77), Commands::touchCoordinatesOn(),
          Commands::setBeepOnTouch(true), Commands::touchOff(), Commands::rotateScreen(),
          Commands::setTextCursor({12, 40}), Commands::writeText(255, 2, "Hi!\bx"),
          Commands::writeText(31, 2, "Next line")})
        QVERIFY(engine.send(writes));
    QTRY_COMPARE(board.textCursor(), mirror.board().textCursor());
    QCOMPARE(mirror.board().rotated(), board.rotated());
    QCOMPARE(mirror.screen().known, QByteArray(BoardGeometry::PixelCount, char(1)));
    QCOMPARE(mirror.board().screen(), board.screen());

    // Slot 3 holds a picture the mirror saw stored; text in the built-in font is in a
    // font the mirror cannot be sure of, from its line down.
    for (const WriteList& writes :
         {Commands::showScreenPicture(3), Commands::setTextCursor({0, 100}),
          Commands::writeText(224, 1, "built-in"), Commands::fillRectangle({0, 0}, {20, 20}, 5)})
        QVERIFY(engine.send(writes));
    QTRY_COMPARE(board.pixel(20, 20), quint8(5));
    int known = 0;
    for (int y = 0; y < BoardGeometry::Height; ++y) {
        for (int x = 0; x < BoardGeometry::Width; ++x) {
            if (!mirror.board().pixelKnown(x, y))
                continue;
            ++known;
            QVERIFY2(mirror.board().pixel(x, y) == board.pixel(x, y),
                     qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }
    QCOMPARE(known, 100 * BoardGeometry::Width);
    QVERIFY(mirror.board().pixelKnown(20, 20) && !mirror.board().pixelKnown(0, 100));
}

QTEST_MAIN(tst_MirrorPty)
#include "tst_mirror_pty.moc"
