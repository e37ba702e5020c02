#include "fontfixture.h"
#include "testbench.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString Font = QStringLiteral("frmFont");

QFont styled(bool bold, bool italic, bool underline, bool strikeOut) {
    QFont font = dejaVuSans(14);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return font;
}

struct FontWindow {
    explicit FontWindow(TestBench& bench)
        : bench(bench) {}

    QPushButton* button(const char* name) {
        return bench.find<QPushButton>(Font, QLatin1String(name));
    }
    QPlainTextEdit* specimen() {
        return bench.find<QPlainTextEdit>(Font, QStringLiteral("txtInfo"));
    }
    QLabel* label(const char* name) { return bench.find<QLabel>(Font, QLatin1String(name)); }
    // Picks the font in the dialog that "Select Font" opens.
    void select(const std::optional<UserDialogs::FontChoice>& choice) {
        bench.dialogs().fontAnswers.append(choice);
        click(button("cmdFont"));
    }

    TestBench& bench;
};

} // namespace

class tst_FontSelection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void opensWithTheDialogAndCancelKeepsTheDesign();
    void chosenFontGoesToSpecimenCanvasAndLabel();
    void italicDropsUnderlineAndStrikeout();
    void emptyNameDisablesCapture();
    void colourTintsTheSpecimenOnly();
};

void tst_FontSelection::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontSelection::opensWithTheDialogAndCancelKeepsTheDesign() {
    TestBench bench;
    FontWindow window(bench);
    // No answer scripted: the dialog that opens with the window is cancelled.
    QWidget* tool = bench.open(Font);
    QVERIFY(tool);
    QCOMPARE(tool->windowTitle(), QStringLiteral(" Font "));
    QCOMPARE(bench.dialogs().fontTitles, QStringList{QStringLiteral("Select Font")});
    QVERIFY(bench.dialogs().messages.isEmpty());
    QVERIFY(window.button("cmdCapture")->isEnabled());
    QVERIFY(window.button("cmdTest")->isEnabled());
    QVERIFY(window.specimen()->toPlainText().isEmpty());
    QVERIFY(bench.find<QRadioButton>(Font, QStringLiteral("optFont1"))->isChecked());
    const QFont designFont = window.label("Picture1")->font();
    QCOMPARE(window.label("lbl")->font(), designFont);

    // Once a font is in place, cancelling changes nothing.
    window.select(fontChoice(dejaVuSans(20)));
    const QString specimen = window.specimen()->toPlainText();
    window.select(std::nullopt);
    QCOMPARE(bench.dialogs().fontTitles.size(), 3);
    QCOMPARE(window.label("Picture1")->font().pointSizeF(), 20.0);
    QCOMPARE(window.specimen()->toPlainText(), specimen);
    QVERIFY(window.button("cmdCapture")->isEnabled());
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_FontSelection::chosenFontGoesToSpecimenCanvasAndLabel() {
    TestBench bench;
    FontWindow window(bench);
    bench.dialogs().fontAnswers.append(fontChoice(styled(true, false, true, false)));
    bench.open(Font);
    QVERIFY(bench.dialogs().messages.isEmpty());
    for (QWidget* widget :
         {static_cast<QWidget*>(window.specimen()), static_cast<QWidget*>(window.label("Picture1")),
          static_cast<QWidget*>(window.label("lbl"))}) {
        const QFont font = widget->font();
        QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(font.pointSizeF(), 14.0);
        QVERIFY(font.bold());
        // Underline is kept when the font is not italic.
        QVERIFY(font.underline());
        QVERIFY(!font.italic());
        QVERIFY(!font.strikeOut());
    }
    QCOMPARE(window.specimen()->toPlainText().split(QLatin1Char('\n')),
             (QStringList{QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                          QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
                          QStringLiteral("0123456789)!#$%^&*("),
                          QStringLiteral("-=[]\\;',./`_+{}|:\"<>?~")}));
}

void tst_FontSelection::italicDropsUnderlineAndStrikeout() {
    struct Case {
        bool underline;
        bool strikeOut;
        QString message;
    };
    const QList<Case> cases{
        {true, true,
         QStringLiteral("Underline and Strikeout effects are not supported with Italic font "
                        "style.")},
        {true, false, QStringLiteral("Underline effect is not supported with Italic font style.")},
        {false, true, QStringLiteral("Strikeout effect is not supported with Italic font style.")},
        {false, false, QString()},
    };
    TestBench bench;
    FontWindow window(bench);
    bench.open(Font);
    for (const Case& c : cases) {
        bench.dialogs().messages.clear();
        window.select(fontChoice(styled(false, true, c.underline, c.strikeOut)));
        if (c.message.isEmpty()) {
            QVERIFY(bench.dialogs().messages.isEmpty());
        } else {
            QCOMPARE(bench.dialogs().messages.size(), 1);
            const ScriptedDialogs::Message& message = bench.dialogs().messages[0];
            QCOMPARE(message.text, c.message);
            QCOMPARE(message.title, QStringLiteral("Information"));
            QCOMPARE(message.icon, UserDialogs::Icon::Information);
            QCOMPARE(message.buttons, UserDialogs::Buttons::Ok);
        }
        for (const char* name : {"Picture1", "lbl"}) {
            const QFont font = window.label(name)->font();
            QVERIFY(font.italic());
            QVERIFY(!font.underline());
            QVERIFY(!font.strikeOut());
        }
        QVERIFY(!window.specimen()->font().underline());
        QVERIFY(window.button("cmdCapture")->isEnabled());
    }
}

void tst_FontSelection::emptyNameDisablesCapture() {
    TestBench bench;
    FontWindow window(bench);
    QFont nameless;
    nameless.setFamilies({});
    bench.dialogs().fontAnswers.append(fontChoice(nameless));
    bench.open(Font);
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QCOMPARE(bench.dialogs().messages[0].text, QStringLiteral("Plese select font."));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Warning);
    QVERIFY(!window.button("cmdCapture")->isEnabled());
    QVERIFY(window.specimen()->toPlainText().isEmpty());

    // A named font brings the specimen and Capture back; a nameless one takes them again.
    window.select(fontChoice(dejaVuSans(12)));
    QVERIFY(window.button("cmdCapture")->isEnabled());
    QVERIFY(!window.specimen()->toPlainText().isEmpty());
    window.select(fontChoice(nameless));
    QVERIFY(!window.button("cmdCapture")->isEnabled());
    QVERIFY(window.specimen()->toPlainText().isEmpty());
    // The canvas keeps the last font that had a name.
    QCOMPARE(window.label("Picture1")->font().family(), QStringLiteral("DejaVu Sans"));
}

void tst_FontSelection::colourTintsTheSpecimenOnly() {
    TestBench bench;
    FontWindow window(bench);
    bench.dialogs().fontAnswers.append(fontChoice(dejaVuSans(16), QColor(255, 0, 0)));
    QWidget* tool = bench.open(Font);
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Information"));
    QCOMPARE(bench.dialogs().messages[0].text,
             QStringLiteral("Changing font color has no effeect on LCD font."));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Information);
    QCOMPARE(window.specimen()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(window.label("Picture1")->palette().color(QPalette::WindowText),
             tool->palette().color(QPalette::WindowText));
    QCOMPARE(window.label("lbl")->palette().color(QPalette::WindowText),
             tool->palette().color(QPalette::WindowText));
    QCOMPARE(window.label("Picture1")->font().pointSizeF(), 16.0);

    // Black again: no message, black specimen.
    window.select(fontChoice(dejaVuSans(16), Qt::black));
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(window.specimen()->palette().color(QPalette::Text), QColor(Qt::black));
}

QTEST_MAIN(tst_FontSelection)
#include "tst_fontselection.moc"
