#include "draw/frmtext.h"

#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/session.h"
#include "workbench/colorswatch.h"
#include "workbench/toolwindows.h"
#include "workbench/twips.h"
#include "workbench/updown.h"
#include "workbench/workbench.h"

#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

constexpr int MaximumX = 319;
constexpr int MaximumY = 239;
constexpr uint LargestByte = 255;

// The boxes reach further left than their up-downs' 24 pixels of room, so that
// three digits fit at today's font sizes.
QLineEdit* numberBox(const char* name, QRect place, QWidget* parent) {
    auto* box = Twips::placed(new QLineEdit(parent), name, place);
    box->setTextMargins(0, 0, 0, 0);
    box->setAlignment(Qt::AlignRight);
    return box;
}

UpDown* upDown(const char* name, QRect place, int maximum, const QString& toolTip, QLineEdit* buddy,
               QWidget* parent) {
    auto* control = Twips::placed(new UpDown(parent), name, place);
    control->setRange(0, maximum);
    control->setToolTip(toolTip);
    control->setBuddy(buddy);
    return control;
}

// The character codes a key produces, as the board would get them.
QList<uint> characterCodes(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Backspace:
        return {8};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return {uint(Commands::TextEnd)};
    case Qt::Key_Tab:
    case Qt::Key_Escape:
    case Qt::Key_unknown:
        break;
    default:
        // Arrows, function keys, Delete and their like write no character.
        if (key.key() > Qt::Key_Escape)
            return {};
    }
    return key.text().toUcs4();
}

} // namespace

frmText::frmText(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr(" Text "));
    setFixedSize(Twips::size(9255, 5430));

    m_cursorFrame = Twips::placed(new QGroupBox(tr("Cursor"), this), "Frame2",
                                  Twips::rect(600, 120, 3495, 1215));
    m_xLabel = Twips::placed(new QLabel(tr("X"), m_cursorFrame), "Label2",
                             Twips::rect(360, 360, 360, 285));
    m_yLabel = Twips::placed(new QLabel(tr("Y"), m_cursorFrame), "Label1",
                             Twips::rect(1200, 360, 360, 285));
    m_xBox = numberBox("txtXCoordinate", Twips::rect(120, 720, 480, 285), m_cursorFrame);
    m_xUpDown = upDown("udXCoordinate", Twips::rect(600, 720, 240, 285), MaximumX,
                       tr("Change X Coordinate"), m_xBox, m_cursorFrame);
    m_yBox = numberBox("txtYCoordinate", Twips::rect(960, 720, 480, 285), m_cursorFrame);
    m_yUpDown = upDown("udYCoordinate", Twips::rect(1440, 720, 240, 285), MaximumY,
                       tr("Change Y Coordinate"), m_yBox, m_cursorFrame);
    m_setButton = Twips::placed(new QPushButton(tr("Set"), m_cursorFrame), "cmdSet",
                                Twips::rect(2040, 720, 1095, 375));

    m_colorFrame = Twips::placed(new QGroupBox(tr("Color"), this), "Frame4",
                                 Twips::rect(4560, 120, 1935, 1215));
    m_colorBox = Twips::placed(new QLineEdit(QStringLiteral("255"), m_colorFrame), "txtColor",
                               Twips::rect(720, 360, 495, 285));
    // It shows the drawing colour; the colour is chosen with the picker.
    m_colorBox->setReadOnly(true);
    m_colorBox->setTextMargins(0, 0, 0, 0);
    m_colorSwatch = ColorSwatch::following(m_colorBox, "shpColor", m_colorFrame);
    m_colorSwatch->move(Twips::rect(1260, 360, 0, 0).topLeft());
    m_pickColorButton = Twips::placed(new QPushButton(tr("Pick Color"), m_colorFrame), "cmdColor",
                                      Twips::rect(480, 720, 1095, 375));

    m_fontFrame = Twips::placed(new QGroupBox(tr("Font"), this), "Frame3",
                                Twips::rect(6960, 120, 1335, 1215));
    m_font1Option = Twips::placed(new QRadioButton(tr("Font 1"), m_fontFrame), "Option1",
                                  Twips::rect(240, 360, 1005, 285));
    m_font2Option = Twips::placed(new QRadioButton(tr("Font 2"), m_fontFrame), "Option2",
                                  Twips::rect(240, 720, 1005, 285));
    m_font1Option->setChecked(true);

    m_textFrame = Twips::placed(new QGroupBox(tr("Text"), this), "Frame1",
                                Twips::rect(360, 1560, 8175, 2895));
    m_typingBox =
        Twips::placed(new QPlainTextEdit(m_textFrame), "Text2", Twips::rect(120, 240, 7935, 2535));
    m_typingBox->installEventFilter(this);

    connect(m_setButton, &QPushButton::clicked, this, &frmText::placeTextCursor);
    connect(m_pickColorButton, &QPushButton::clicked, this, &frmText::pickColor);
}

void frmText::placeTextCursor() {
    m_workbench.engine().send(
        Commands::setTextCursor({quint16(m_xUpDown->value()), quint8(m_yUpDown->value())}));
}

void frmText::pickColor() {
    m_workbench.engine().session().requestColor(
        this, [this](int color) { m_colorBox->setText(QString::number(color)); });
    m_workbench.toolWindows().show(QStringLiteral("frmColor"));
}

bool frmText::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_typingBox && event->type() == QEvent::KeyPress)
        collectKey(*static_cast<QKeyEvent*>(event));
    else if (watched == m_typingBox && event->type() == QEvent::InputMethod)
        collectComposition(*static_cast<QInputMethodEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

void frmText::collectKey(const QKeyEvent& key) {
    collectTyped(key.text(), characterCodes(key));
}

void frmText::collectComposition(const QInputMethodEvent& input) {
    collectTyped(input.commitString(), input.commitString().toUcs4());
}

void frmText::collectTyped(const QString& text, const QList<uint>& codes) {
    // Keys typed while the port is closed are never sent, not even later.
    if (!m_workbench.engine().portOpen())
        return;
    if (std::any_of(codes.begin(), codes.end(), [](uint code) { return code > LargestByte; })) {
        m_workbench.showStatusMessage(
            tr("\"%1\" is not sent: the board takes only characters with codes 0 to 255.")
                .arg(text));
        return;
    }
    for (uint code : codes)
        collect(quint8(code));
}

void frmText::collect(quint8 code) {
    if (code != Commands::TextEnd) {
        m_typedKeys.append(char(code));
        return;
    }
    BoardEngine& engine = m_workbench.engine();
    // Colour and font are those in force when Enter is pressed. Held back during an
    // upload, the typed text goes out with a later Enter.
    if (engine.send(Commands::writeText(quint8(engine.session().selectedColor()),
                                        quint8(fontNumber()), m_typedKeys)))
        m_typedKeys.clear();
}

int frmText::fontNumber() const {
    return m_font1Option->isChecked() ? 1 : 2;
}
