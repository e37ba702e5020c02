#include "font/frmfont.h"

#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/session.h"
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

    m_fontNameLabel = named(new QLabel(tr("Specimen:"), this), "lblSpecName");
    m_specimenBox = named(new QPlainTextEdit(this), "txtInfo");
    m_specimenBox->setFont(QFont(QStringLiteral("Arial")));
    m_specimenBox->setLineWrapMode(QPlainTextEdit::NoWrap);

    m_fontButton = named(new QPushButton(tr("Select Font"), this), "cmdFont");
    m_captureButton = named(new QPushButton(tr("Capture"), this), "cmdCapture");
    m_testButton = named(new QPushButton(tr("Test"), this), "cmdTest");
    m_testButton->setToolTip(tr("Writes the characters ! to , on the board"));

    m_slotFrame = named(new QGroupBox(this), "Frame1");
    m_slot1Option = named(new QRadioButton(tr("Font1"), m_slotFrame), "optFont1");
    m_slot2Option = named(new QRadioButton(tr("Font2"), m_slotFrame), "optFont2");
    m_slot1Option->setChecked(true);
    auto* slotChoice = new QHBoxLayout(m_slotFrame);
    slotChoice->addWidget(m_slot1Option);
    slotChoice->addWidget(m_slot2Option);

    // The capture canvas and the measuring label, shown side by side; a large font
    // scrolls rather than stretching the window.
    auto* captureView = named(new QScrollArea(this), "captureView");
    auto* surfaces = new QWidget(captureView);
    m_glyphCanvas = named(new QLabel(surfaces), "Picture1");
    m_glyphCanvas->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_glyphCanvas->setLineWidth(GlyphCanvas::FrameWidth);
    m_glyphCanvas->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_glyphCanvas->setAutoFillBackground(true);
    m_glyphCanvas->setBackgroundRole(QPalette::Base);
    QPalette canvasColors = m_glyphCanvas->palette();
    canvasColors.setColor(QPalette::Base, Qt::white);
    m_glyphCanvas->setPalette(canvasColors);
    m_glyphCanvas->setFixedSize(EmptyCanvas);
    m_lastCharacterLabel = named(new QLabel(surfaces), "lbl");
    m_lastCharacterLabel->setTextFormat(Qt::PlainText);
    m_lastCharacterLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* surfaceRow = new QHBoxLayout(surfaces);
    surfaceRow->addWidget(m_glyphCanvas, 0, Qt::AlignTop);
    surfaceRow->addWidget(m_lastCharacterLabel, 0, Qt::AlignTop);
    surfaceRow->addStretch();
    captureView->setWidget(surfaces);
    captureView->setWidgetResizable(true);
    captureView->setFixedHeight(CaptureViewHeight);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_fontButton);
    buttons->addWidget(m_captureButton);
    buttons->addWidget(m_testButton);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_fontNameLabel, 0, 0);
    layout->addWidget(m_specimenBox, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(captureView, 2, 0);
    layout->addWidget(m_slotFrame, 2, 1, Qt::AlignTop);
    layout->setRowStretch(1, 1);

    connect(m_fontButton, &QPushButton::clicked, this, &frmFont::chooseFont);
    connect(m_captureButton, &QPushButton::clicked, this, &frmFont::captureAndUpload);
    connect(m_testButton, &QPushButton::clicked, this, &frmFont::sendTestText);
    BoardEngine& engine = workbench.engine();
    connect(&engine, &BoardEngine::uploadBusyChanged, this, &frmFont::updateButtons);
    connect(&engine, &BoardEngine::uploadFinished, this, &frmFont::uploadFinished);

    m_dialogChoice.font = m_glyphCanvas->font();
    updateButtons();
    chooseFont();
}

void frmFont::chooseFont() {
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
        m_specimenBox->clear();
        m_fontUsable = false;
        updateButtons();
        return;
    }
    applyFont(*chosen);
}

void frmFont::applyFont(const UserDialogs::FontChoice& choice) {
    m_fontUsable = true;
    updateButtons();
    m_specimenBox->setFont(choice.font);
    QPalette specimenColors = m_specimenBox->palette();
    specimenColors.setColor(QPalette::Text,
                            isBlack(choice.color) ? QColor(Qt::black) : choice.color);
    m_specimenBox->setPalette(specimenColors);
    if (!isBlack(choice.color)) {
        m_workbench.dialogs().message(this, tr("Information"),
                                      tr("Changing font color has no effeect on LCD font."),
                                      UserDialogs::Icon::Information);
    }
    m_glyphCanvas->setFont(choice.font);
    m_lastCharacterLabel->setFont(choice.font);
    m_specimenBox->setPlainText(specimen());
}

void frmFont::captureAndUpload() {
    BoardEngine& engine = m_workbench.engine();
    engine.session().clearControllerResponse();
    if (!engine.portOpen())
        return;
    const Commands::FontSlot slot =
        m_slot1Option->isChecked() ? Commands::FontSlot::Font1 : Commands::FontSlot::Font2;
    // Both passes are measured before anything is sent: a font the board cannot take
    // whole must not leave its slot half loaded.
    const FontCapture capture =
        FontCapture::capture(m_lastCharacterLabel->font(), m_glyphCanvas->font());
    showLastCharacter(capture);
    if (!capture.isSendable()) {
        refuseUnsendable(capture);
        return;
    }
    // Cleared again when the upload ends, which may happen before start() returns.
    m_uploading = true;
    if (engine.startUpload(capture.uploadPlan(slot), this) != Uploader::Start::Started)
        m_uploading = false;
}

void frmFont::showLastCharacter(const FontCapture& capture) {
    const char last = char(Commands::LastGlyphCode);
    m_lastCharacterLabel->setText(QString(QLatin1Char(last)));
    m_glyphCanvas->setFixedSize(GlyphCanvas::pictureBoxSize(m_lastCharacterLabel->font(), last,
                                                            GlyphCanvas::GlyphPassMargin));
    m_glyphCanvas->setPixmap(QPixmap::fromImage(capture.lastCanvas));
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

void frmFont::sendTestText() {
    m_workbench.engine().send(Commands::fontTestLine());
}

void frmFont::updateButtons() {
    const bool lineFree = !m_workbench.engine().uploadBusy();
    m_captureButton->setEnabled(m_fontUsable && lineFree);
    m_testButton->setEnabled(lineFree);
}
