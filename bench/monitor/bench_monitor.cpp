// Speed and memory of the protocol monitor.
//
//   bench_monitor
//
// The command decoder on a mixed command stream (drawing and text commands, screen
// writes, stored pictures and fonts), in processor time: alone, and describing each
// command as the monitor and the board's log do. Then the memory the conversation
// takes with its ring full (200,000 events), with the Monitor window open and showing
// every row, against the program idle (its main window shown): once with noise from
// the board, once with uploads (each block and its answer).

#include "app/frmmainmdi.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/commanddecoder.h"
#include "engine/commandlog.h"
#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"
#include "monitor/conversationmodel.h"
#include "monitor/frmmonitor.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdio>
#include <ctime>

namespace {

constexpr double DecoderTargetMBps = 50;
constexpr double MemoryTargetMB = 60;
constexpr int StreamMegabytes = 40;

const char* verdict(bool ok) {
    return ok ? "ok" : "MISSED";
}

double processorSecondsSince(std::clock_t started) {
    return double(std::clock() - started) / CLOCKS_PER_SEC;
}

// Every kind of command, the long transfers among them in the share a session has.
QByteArray mixedStream(int megabytes) {
    QRandomGenerator random(3);
    const auto point = [&random]() -> Commands::Point {
        return {quint16(random.bounded(320)), quint8(random.bounded(240))};
    };
    const auto byte = [&random] { return quint8(random.bounded(256)); };
    QByteArray picture(76800, Qt::Uninitialized);
    for (char& c : picture)
        c = char(random.bounded(256));
    QList<Commands::GlyphSize> sizes;
    WriteList font = Commands::fontUploadBegin(Commands::FontSlot::Font1);
    WriteList glyphs;
    for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code) {
        const Commands::GlyphSize size{quint8(4 + code % 9), quint8(14)};
        sizes.append(size);
        glyphs.append(
            Commands::fontGlyph(size, picture.first(size.height * ((size.width + 7) / 8))));
    }
    font.append(Commands::fontSizeTable(sizes));
    font.append(glyphs);

    QByteArray stream;
    for (int round = 0; stream.size() < megabytes * 1000000; ++round) {
        for (int i = 0; i < 200; ++i) {
            stream += Commands::drawPixel(point(), byte()).bytes();
            stream += Commands::drawLine(point(), point(), byte()).bytes();
            stream += Commands::fillCircle(point(), byte(), byte()).bytes();
            stream += Commands::setTextCursor(point()).bytes();
            stream += Commands::writeText(byte(), 1, "Lumaret 42").bytes();
            stream += Commands::clearScreen(byte()).bytes();
            stream += Commands::beep().bytes();
        }
        stream += Commands::writeScreen(picture).bytes();
        stream += Commands::saveScreenPicture(quint8(1 + round % 12), picture).bytes();
        stream += font.bytes();
    }
    return stream;
}

// Counts what the decoder finds, and nothing more.
class CountingSink : public CommandSink {
public:
    void drawPixel(QPoint, quint8) override { ++calls; }
    void drawLine(QPoint, QPoint, quint8) override { ++calls; }
    void fillCircle(QPoint, int, quint8) override { ++calls; }
    void textCharacter(quint8) override { ++calls; }
    void screenRowReceived(int) override { ++calls; }
    void pictureBlockReceived(int) override { ++calls; }
    void fontGlyph(int, Commands::GlyphSize, QByteArrayView) override { ++calls; }
    qint64 calls = 0;
};

// Megabytes a second, fed in blocks of 320 bytes as an upload's records come.
double decodeRate(const QByteArray& stream, CommandSink& sink) {
    CommandDecoder decoder(sink);
    const std::clock_t started = std::clock();
    for (qsizetype i = 0; i < stream.size(); i += 320)
        decoder.feed(QByteArrayView(stream).sliced(i, std::min<qsizetype>(320, stream.size() - i)));
    return double(stream.size()) / 1e6 / processorSecondsSince(started);
}

// Resident memory of the process in megabytes; negative where it cannot be read.
double residentMB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / 1e6 : -1;
}

class NoDialogs : public UserDialogs {
public:
    Answer message(QWidget*, const QString&, const QString&, Icon, Buttons) override {
        return Answer::Ok;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<FontChoice> chooseFont(QWidget*, const QString&, const FontChoice&) override {
        return std::nullopt;
    }
};

// The program with the Monitor open and every row shown; fill() puts a ring's worth
// of events in and lets the table take them.
class MonitorMemory {
public:
    MonitorMemory()
        : m_main(frmMainMDI::Services{
              std::make_shared<SystemClock>(), std::make_shared<NoDialogs>(),
              std::make_shared<PortCatalog>(
                  [] { return QList<PortEntry>(); },
                  [](const QString& name) { return std::make_unique<QtSerialLink>(name); }),
              false, {}}) {
        m_main.show();
        QCoreApplication::processEvents();
    }

    void open() {
        QWidget* monitor = m_main.toolWindows().show(QStringLiteral("frmMonitor"));
        monitor->findChild<QCheckBox*>(QStringLiteral("chkUploadBlocks"))->setChecked(true);
        m_model = &static_cast<frmMonitor*>(monitor)->model();
        QCoreApplication::processEvents();
    }

    double fill(const std::function<void(Conversation&, qint64)>& record) {
        Conversation& conversation = m_main.engine().conversation();
        conversation.clear();
        for (qint64 i = 0; i < conversation.capacity() + 1000; ++i)
            record(conversation, i);
        m_model->sync();
        QCoreApplication::processEvents();
        return residentMB();
    }

private:
    frmMainMDI m_main;
    ConversationModel* m_model = nullptr;
};

// What filling the ring in one of two ways adds to the program idle, in megabytes.
double memoryGrowth(const QString& scenario) {
    MonitorMemory monitor;
    const double idle = residentMB();
    monitor.open();
    QRandomGenerator random(9);
    QByteArray row(320, Qt::Uninitialized);
    for (char& c : row)
        c = char(random.bounded(256));
    const double full = monitor.fill([&](Conversation& conversation, qint64 i) {
        if (scenario == QLatin1String("noise")) {
            QByteArray chunk(random.bounded(1, 100), Qt::Uninitialized);
            for (char& c : chunk)
                c = char(random.bounded(256));
            conversation.record({i * 100, LineTraffic::Direction::FromBoard, chunk, 0});
            return;
        }
        // A preview's blocks (321 and 320 bytes) and the board's answers, over and over.
        if (i % 480 == 0)
            conversation.beginUpload(QStringLiteral("Preview"));
        if (i % 2 == 1) {
            conversation.record({i * 100, LineTraffic::Direction::FromBoard, "!", 0});
            return;
        }
        WriteList writes;
        writes.appendEachByte(row);
        conversation.record({i * 100, LineTraffic::Direction::ToBoard,
                             QByteArray(writes.bytes()).append(char(i)), int(writes.count())});
    });
    return full - idle;
}

// Each way of filling the ring in a process of its own, so that one does not inherit
// the other's heap.
void reportMemory() {
    if (residentMB() < 0) {
        std::printf("Memory: not measured (no /proc/self/statm here)\n");
        return;
    }
    for (const char* scenario : {"noise", "uploads"}) {
        QProcess run;
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--memory"), QLatin1String(scenario)});
        run.waitForFinished(120000);
        bool ok = false;
        const double growth = run.readAllStandardOutput().trimmed().toDouble(&ok);
        std::printf("Memory with the ring full of %s, the Monitor showing all 200000 rows: %.1f "
                    "MB more than idle (target < %.0f MB)  %s\n",
                    qstrcmp(scenario, "noise") == 0 ? "noise from the board"
                                                    : "uploads (blocks and answers)",
                    growth, MemoryTargetMB, verdict(ok && growth < MemoryTargetMB));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--memory")) {
        std::printf("%.3f\n", memoryGrowth(arguments.at(2)));
        return 0;
    }

    const QByteArray stream = mixedStream(StreamMegabytes);
    CountingSink counting;
    const double alone = decodeRate(stream, counting);
    std::printf(
        "Command decoder on a mixed stream (%.0f MB): %.0f MB/s (target >= %.0f MB/s)  %s\n",
        double(stream.size()) / 1e6, alone, DecoderTargetMBps,
        verdict(alone >= DecoderTargetMBps && counting.calls > 0));
    qint64 lines = 0;
    CommandLog log([&lines](const QString&) { ++lines; });
    const double described = decodeRate(stream, log);
    std::printf("  decoded and described line by line: %.0f MB/s (%lld lines)\n", described,
                static_cast<long long>(lines));

    reportMemory();
    return 0;
}
