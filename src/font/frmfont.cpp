#include "font/frmfont.h"

#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/msserial.h"
#include "engine/session.h"
#include "engine/uploader.h"
#include "font/fontcapture.h"
#include "font/glyphcanvas.h"
#include "workbench/named.h"
#include "workbench/workbench.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

namespace {

// 7050 x 4275 twips: the window fits the main window's area with its frame.
constexpr QSize WindowSize(470, 285);
constexpr QSize EmptyCanvas(40, 40);
constexpr int CaptureViewHeight = 80;

QString specimen() {
    return QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
                          "abcdefghijklmnopqrstuvwxyz\n"
                          "0123456789)!#$%^&*(\n"
                          "-=[]\\;',./`_+{}|:\"<>?~");
}

// The board's fonts are one colour: a font colour only tints the specimen.
bool isBlack(const QColor& color) {
    return !color.isValid() || (color.rgb() & 0xFFFFFF) == 0;
}

} // namespace

frmFont::frmFont(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr(" Font "));
    setFixedSize(WindowSize);

    lblSpecName = named(new QLabel(tr("Specimen:"), this), "lblSpecName");
    txtInfo = named(new QPlainTextEdit(this), "txtInfo");
    txtInfo->setFont(QFont(QStringLiteral("Arial")));
    txtInfo->setLineWrapMode(QPlainTextEdit::NoWrap);

    cmdFont = named(new QPushButton(tr("Select Font"), this), "cmdFont");
    cmdCapture = named(new QPushButton(tr("Capture"), this), "cmdCapture");
    cmdTest = named(new QPushButton(tr("Test"), this), "cmdTest");
    cmdTest->setToolTip(tr("Writes the characters ! to , on the board"));

    Frame1 = named(new QGroupBox(this), "Frame1");
    optFont1 = named(new QRadioButton(tr("Font1"), Frame1), "optFont1");
    optFont2 = named(new QRadioButton(tr("Font2"), Frame1), "optFont2");
    optFont1->setChecked(true);
    auto* slotChoice = new QHBoxLayout(Frame1);
    slotChoice->addWidget(optFont1);
    slotChoice->addWidget(optFont2);

    // The capture canvas and the measuring label, shown side by side; a large font
    // scrolls rather than stretching the window.
    auto* captureView = named(new QScrollArea(this), "captureView");
    auto* surfaces = new QWidget(captureView);
    Picture1 = named(new QLabel(surfaces), "Picture1");
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(GlyphCanvas::FrameWidth);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture1->setAutoFillBackground(true);
    Picture1->setBackgroundRole(QPalette::Base);
    QPalette canvasColors = Picture1->palette();
    canvasColors.setColor(QPalette::Base, Qt::white);
    Picture1->setPalette(canvasColors);
    Picture1->setFixedSize(EmptyCanvas);
    lbl = named(new QLabel(surfaces), "lbl");
    lbl->setTextFormat(Qt::PlainText);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* surfaceRow = new QHBoxLayout(surfaces);
    surfaceRow->addWidget(Picture1, 0, Qt::AlignTop);
    surfaceRow->addWidget(lbl, 0, Qt::AlignTop);
    surfaceRow->addStretch();
    captureView->setWidget(surfaces);
    captureView->setWidgetResizable(true);
    captureView->setFixedHeight(CaptureViewHeight);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFont);
    buttons->addWidget(cmdCapture);
    buttons->addWidget(cmdTest);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblSpecName, 0, 0);
    layout->addWidget(txtInfo, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(captureView, 2, 0);
    layout->addWidget(Frame1, 2, 1, Qt::AlignTop);
    layout->setRowStretch(1, 1);

    connect(cmdFont, &QPushButton::clicked, this, &frmFont::cmdFont_Click);
    connect(cmdCapture, &QPushButton::clicked, this, &frmFont::cmdCapture_Click);
    connect(cmdTest, &QPushButton::clicked, this, &frmFont::cmdTest_Click);
    Uploader& uploader = workbench.engine().uploader();
    connect(&uploader, &Uploader::busyChanged, this, &frmFont::updateButtons);
    connect(&uploader, &Uploader::finished, this, &frmFont::uploadFinished);

    m_dialogChoice.font = Picture1->font();
    updateButtons();
    cmdFont_Click();
}

void frmFont::cmdFont_Click() {
    UserDialogs& dialogs = m_workbench.dialogs();
    std::optional<UserDialogs::FontChoice> chosen =
        dialogs.chooseFont(this, tr("Select Font"), m_dialogChoice);
    if (!chosen)
        return;
    QFont& font = chosen->font;
    if (font.italic() && (font.underline() || font.strikeOut())) {
        const QString text =
            font.underline() && font.strikeOut()
                ? tr("Underline and Strikeout effects are not supported with Italic font style.")
            : font.underline() ? tr("Underline effect is not supported with Italic font style.")
                               : tr("Strikeout effect is not supported with Italic font style.");
        font.setUnderline(false);
        font.setStrikeOut(false);
        dialogs.message(this, tr("Information"), text, UserDialogs::Icon::Information);
    }
    m_dialogChoice = *chosen;
    if (font.family().isEmpty()) {
        dialogs.message(this, tr("Warning"), tr("Plese select font."), UserDialogs::Icon::Warning);
        txtInfo->clear();
        m_fontUsable = false;
        updateButtons();
        return;
    }
    applyFont(*chosen);
}

void frmFont::applyFont(const UserDialogs::FontChoice& choice) {
    m_fontUsable = true;
    updateButtons();
    txtInfo->setFont(choice.font);
    QPalette specimenColors = txtInfo->palette();
    specimenColors.setColor(QPalette::Text,
                            isBlack(choice.color) ? QColor(Qt::black) : choice.color);
    txtInfo->setPalette(specimenColors);
    if (!isBlack(choice.color)) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("Changing font color has no effeect on LCD font."),
                                      UserDialogs::Icon::Information);
    }
    Picture1->setFont(choice.font);
    lbl->setFont(choice.font);
    txtInfo->setPlainText(specimen());
}

void frmFont::cmdCapture_Click() {
    BoardEngine& engine = m_workbench.engine();
    engine.session().clearControllerResponse();
    if (!engine.port().portOpen())
        return;
    const Commands::FontSlot slot =
        optFont1->isChecked() ? Commands::FontSlot::Font1 : Commands::FontSlot::Font2;
    // Both passes are measured before anything is sent: a font the board cannot take
    // whole must not leave its slot half loaded.
    const FontCapture capture = FontCapture::capture(lbl->font(), Picture1->font());
    showLastCharacter(capture);
    if (!capture.isSendable()) {
        refuseUnsendable(capture);
        return;
    }
    // Cleared again when the upload ends, which may happen before start() returns.
    m_uploading = true;
    if (engine.uploader().start(capture.uploadPlan(slot), this) != Uploader::Start::Started)
        m_uploading = false;
}

void frmFont::showLastCharacter(const FontCapture& capture) {
    const char last = char(Commands::LastGlyphCode);
    lbl->setText(QString(QLatin1Char(last)));
    Picture1->setFixedSize(
        GlyphCanvas::pictureBoxSize(lbl->font(), last, GlyphCanvas::GlyphPassMargin));
    Picture1->setPixmap(QPixmap::fromImage(capture.lastCanvas));
}

void frmFont::refuseUnsendable(const FontCapture& capture) {
    QStringList problems;
    const QString tooLarge = capture.charactersTooLarge();
    if (!tooLarge.isEmpty()) {
        problems.append(tr("These characters come out larger than the 255 pixels the board "
                           "takes: %1. Choose a smaller size.")
                            .arg(tooLarge));
    }
    const QString withoutInk = capture.charactersWithoutInk();
    if (!withoutInk.isEmpty()) {
        problems.append(tr("These characters leave no ink in this font: %1. Choose a larger "
                           "size or another font.")
                            .arg(withoutInk));
    }
    problems.append(tr("Nothing was sent to the board."));
    m_workbench.dialogs().message(this, tr("Warning"), problems.join(QLatin1Char('\n')),
                                  UserDialogs::Icon::Warning);
}

void frmFont::uploadFinished(const UploadOutcome& outcome) {
    if (!std::exchange(m_uploading, false) || !outcome.completed())
        return;
    m_workbench.dialogs().message(this, QString(), tr("   Done."), UserDialogs::Icon::None);
}

void frmFont::cmdTest_Click() {
    m_workbench.engine().send(Commands::fontTestLine());
}

void frmFont::updateButtons() {
    const bool lineFree = !m_workbench.engine().uploader().isBusy();
    cmdCapture->setEnabled(m_fontUsable && lineFree);
    cmdTest->setEnabled(lineFree);
}
