#include "draw/frmcolor.h"

#include "draw/paletteview.h"
#include "engine/boardengine.h"
#include "engine/colorvalue.h"
#include "engine/session.h"
#include "workbench/colorswatch.h"
#include "workbench/twips.h"
#include "workbench/updown.h"
#include "workbench/workbench.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {

// The up-downs hold the colour values; their range is wider than a colour needs.
constexpr int UpDownMaximum = 319;
constexpr int InitialSelection = 255;

QLabel* label(const QString& caption, const char* name, QRect place, QWidget* parent) {
    return Twips::placed(new QLabel(caption, parent), name, place);
}

QLineEdit* readout(const char* name, QRect place, QWidget* parent) {
    auto* box = Twips::placed(new QLineEdit(parent), name, place);
    box->setReadOnly(true);
    return box;
}

UpDown* valueHolder(const char* name, QRect place, int value, QWidget* parent) {
    auto* holder = Twips::placed(new UpDown(parent), name, place);
    holder->setRange(0, UpDownMaximum);
    holder->setValue(value);
    // They only hold values: stepping them could select a number that is no colour.
    holder->hide();
    return holder;
}

} // namespace

frmColor::frmColor(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr(" Color Picker "));
    setFixedSize(Twips::size(9060, 6840));

    m_paletteLabel =
        label(tr("Available Colors"), "Label1", Twips::rect(3480, 120, 2295, 375), this);
    m_palette = Twips::placed(new PaletteView(this), "picBox", Twips::rect(1680, 480, 5805, 2190));
    m_rgb888Label = label(tr(" RGB(8:8:8)"), "Label2", Twips::rect(1320, 2760, 1575, 375), this);
    m_rgb888Box = readout("Text1", Twips::rect(1320, 3120, 1575, 375), this);
    m_rgb332Label = label(tr(" RGB(3:3:2)"), "Label3", Twips::rect(3720, 2760, 1575, 375), this);
    m_rgb332Box = readout("Text2", Twips::rect(3720, 3120, 1575, 375), this);
    m_paletteColorLabel =
        label(tr("Palette Color"), "Label4", Twips::rect(6000, 2760, 1935, 375), this);
    m_paletteColorBox = readout("Text3", Twips::rect(6120, 3120, 1575, 375), this);
    m_selectedColorLabel =
        label(tr("Selected Color"), "Label5", Twips::rect(1080, 3600, 1935, 375), this);
    m_selectedColorBox = readout("Text4", Twips::rect(1320, 3960, 1575, 375), this);
    m_selectedColorBox->setText(tr("Default: %1").arg(InitialSelection));
    m_setColorButton = Twips::placed(new QPushButton(tr("Set Color"), this), "cmdSetColor",
                                     Twips::rect(3720, 3960, 1575, 375));
    m_hoveredValue = valueHolder("UpDown1", Twips::rect(3720, 6120, 240, 285), 0, this);
    m_chosenValue =
        valueHolder("UpDown2", Twips::rect(3480, 6120, 240, 285), InitialSelection, this);

    // The hovered colour beside its number, and the selected one beside its box.
    ColorSwatch::following(m_paletteColorBox, "shpPaletteColor", this)
        ->move(Twips::rect(7755, 3165, 0, 0).topLeft());
    auto* shpSelectedColor = named(new ColorSwatch(this), "shpSelectedColor");
    shpSelectedColor->move(Twips::rect(2955, 4005, 0, 0).topLeft());
    shpSelectedColor->setValue(m_chosenValue->value());
    connect(m_chosenValue, &UpDown::valueChanged, shpSelectedColor, &ColorSwatch::setValue);

    const QFont arial(QStringLiteral("Arial"));
    for (QWidget* text : std::initializer_list<QWidget*>{
             m_paletteLabel, m_rgb888Label, m_rgb332Label, m_paletteColorLabel,
             m_selectedColorLabel, m_rgb888Box, m_rgb332Box, m_paletteColorBox, m_selectedColorBox})
        text->setFont(arial);

    connect(m_palette, &PaletteView::mouseMoved, this, &frmColor::showPaletteColorAt);
    connect(m_palette, &PaletteView::clicked, this, &frmColor::takePaletteColor);
    connect(m_setColorButton, &QPushButton::clicked, this, &frmColor::setSelectedColor);
}

void frmColor::showPaletteColorAt(QPoint point) {
    const auto color = m_palette->colorAt(point);
    if (!color)
        return;
    m_rgb888Box->setText(
        QStringLiteral("%1:%2:%3").arg(qRed(*color)).arg(qGreen(*color)).arg(qBlue(*color)));
    const ColorValue::Levels levels = ColorValue::levelsOf(*color);
    m_rgb332Box->setText(
        QStringLiteral("%1:%2:%3").arg(levels.red).arg(levels.green).arg(levels.blue));
    const int value = ColorValue::valueOf(levels);
    m_paletteColorBox->setText(QString::number(value));
    m_hoveredValue->setValue(value);
}

void frmColor::takePaletteColor() {
    m_selectedColorBox->setText(m_paletteColorBox->text());
    m_chosenValue->setValue(m_hoveredValue->value());
}

void frmColor::setSelectedColor() {
    // The window that asked for the colour shows it in its colour box.
    m_workbench.engine().session().pickColor(m_chosenValue->value());
    closeWindow();
}

void frmColor::closeWindow() {
    // Inside the main window the frame around the picker is what closes.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}
