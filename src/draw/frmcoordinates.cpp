#include "draw/frmcoordinates.h"

#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/session.h"
#include "workbench/colorswatch.h"
#include "workbench/named.h"
#include "workbench/numberentry.h"
#include "workbench/toolwindows.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// An X goes out in two bytes; the box takes what a 16-bit signed number holds.
constexpr int MaximumX = 32767;
constexpr int MaximumByte = 255;
constexpr int NumberBoxWidth = 48;

QLineEdit* numberBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = named(new QLineEdit(text, parent), name);
    box->setFixedWidth(NumberBoxWidth);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QLabel* label(const QString& caption, const char* name, QWidget* buddy, QWidget* parent) {
    auto* text = named(new QLabel(caption, parent), name);
    text->setBuddy(buddy);
    return text;
}

// A frame without a caption.
QGroupBox* plainFrame(const char* name, QWidget* parent) {
    return named(new QGroupBox(parent), name);
}

// Labels "X" and "Y" beside their boxes, under a heading, from the given column on.
void addPoint(QGridLayout* grid, int column, QLabel* heading, QLabel* xLabel, QLineEdit* x,
              QLabel* yLabel, QLineEdit* y) {
    grid->addWidget(heading, 0, column, 1, 4);
    grid->addWidget(xLabel, 1, column);
    grid->addWidget(x, 1, column + 1);
    grid->addWidget(yLabel, 1, column + 2);
    grid->addWidget(y, 1, column + 3);
}

Commands::Point point(int x, int y) {
    return {quint16(x), quint8(y)};
}

} // namespace

frmCoordinates::frmCoordinates(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr(" Coordinates "));

    m_shapeFrame = named(new QGroupBox(tr("Line/Rectangle/Circle/Pixel"), this), "Frame34");
    m_lineOption = named(new QRadioButton(tr("Line"), m_shapeFrame), "optLine");
    m_rectangleOption = named(new QRadioButton(tr("Rectangle"), m_shapeFrame), "optRectangle");
    m_circleOption = named(new QRadioButton(tr("Circle"), m_shapeFrame), "optCircle");
    m_pixelOption = named(new QRadioButton(tr("Pixel"), m_shapeFrame), "optPixel");
    auto* shapes = new QButtonGroup(this);
    for (QRadioButton* option : {m_lineOption, m_rectangleOption, m_circleOption, m_pixelOption})
        shapes->addButton(option);
    m_lineOption->setChecked(true);

    m_colorFrame = named(new QGroupBox(tr("Color"), m_shapeFrame), "Frame4");
    m_colorBox = numberBox("txtColor", QStringLiteral("255"), m_colorFrame);
    m_pickColorButton = named(new QPushButton(tr("Pick Color"), m_colorFrame), "cmdColor");
    auto* colorLayout = new QHBoxLayout(m_colorFrame);
    colorLayout->addWidget(m_colorBox);
    colorLayout->addWidget(ColorSwatch::following(m_colorBox, "shpColor", m_colorFrame));
    colorLayout->addWidget(m_pickColorButton);

    m_fillingFrame = plainFrame("frmEF", m_shapeFrame);
    m_emptyOption = named(new QRadioButton(tr("Empty"), m_fillingFrame), "optEmpty");
    m_filledOption = named(new QRadioButton(tr("Filled"), m_fillingFrame), "optFilled");
    auto* fillings = new QButtonGroup(this);
    fillings->addButton(m_emptyOption);
    fillings->addButton(m_filledOption);
    m_emptyOption->setChecked(true);
    auto* fillingLayout = new QVBoxLayout(m_fillingFrame);
    fillingLayout->addWidget(m_emptyOption);
    fillingLayout->addWidget(m_filledOption);

    m_lineFrame = plainFrame("frmLR", m_shapeFrame);
    m_startXBox = numberBox("txtX0", QStringLiteral("0"), m_lineFrame);
    m_startYBox = numberBox("txtY0", QStringLiteral("0"), m_lineFrame);
    m_endXBox = numberBox("txtX1", QStringLiteral("0"), m_lineFrame);
    m_endYBox = numberBox("txtY1", QStringLiteral("0"), m_lineFrame);
    m_sendLineButton = named(new QPushButton(tr("Send"), m_lineFrame), "Command23");
    auto* lineLayout = new QGridLayout(m_lineFrame);
    addPoint(lineLayout, 0, label(tr("Start"), "lblStart", m_startXBox, m_lineFrame),
             label(tr("X"), "lblX0", m_startXBox, m_lineFrame), m_startXBox,
             label(tr("Y"), "lblY0", m_startYBox, m_lineFrame), m_startYBox);
    addPoint(lineLayout, 4, label(tr("End"), "lblEnd", m_endXBox, m_lineFrame),
             label(tr("X"), "lblX1", m_endXBox, m_lineFrame), m_endXBox,
             label(tr("Y"), "lblY1", m_endYBox, m_lineFrame), m_endYBox);
    lineLayout->addWidget(m_sendLineButton, 1, 8);

    m_circleFrame = plainFrame("frmCircle", m_shapeFrame);
    m_centerXBox = numberBox("txtCX", QStringLiteral("0"), m_circleFrame);
    m_centerYBox = numberBox("txtCY", QStringLiteral("0"), m_circleFrame);
    m_radiusBox = numberBox("txtRadius", QStringLiteral("0"), m_circleFrame);
    m_sendCircleButton = named(new QPushButton(tr("Send"), m_circleFrame), "cmdCircle");
    auto* circleLayout = new QGridLayout(m_circleFrame);
    addPoint(circleLayout, 0, label(tr("Center"), "lblCenter", m_centerXBox, m_circleFrame),
             label(tr("X"), "lblCX", m_centerXBox, m_circleFrame), m_centerXBox,
             label(tr("Y"), "lblCY", m_centerYBox, m_circleFrame), m_centerYBox);
    circleLayout->addWidget(label(tr("Radius"), "lblRadius", m_radiusBox, m_circleFrame), 0, 4);
    circleLayout->addWidget(m_radiusBox, 1, 4);
    circleLayout->addWidget(m_sendCircleButton, 1, 5);

    m_pixelFrame = plainFrame("frmPixel", m_shapeFrame);
    m_pixelXBox = numberBox("txtPX", QStringLiteral("0"), m_pixelFrame);
    m_pixelYBox = numberBox("txtPY", QStringLiteral("0"), m_pixelFrame);
    m_sendPixelButton = named(new QPushButton(tr("Send"), m_pixelFrame), "cmdPixel");
    auto* pixelLayout = new QGridLayout(m_pixelFrame);
    addPoint(pixelLayout, 0, label(tr("Pixel"), "lblPixel", m_pixelXBox, m_pixelFrame),
             label(tr("X"), "lblPX", m_pixelXBox, m_pixelFrame), m_pixelXBox,
             label(tr("Y"), "lblPY", m_pixelYBox, m_pixelFrame), m_pixelYBox);
    pixelLayout->addWidget(m_sendPixelButton, 1, 4);

    auto* shapeLayout = new QVBoxLayout;
    for (QRadioButton* option : {m_lineOption, m_rectangleOption, m_circleOption, m_pixelOption})
        shapeLayout->addWidget(option);
    auto* frameLayout = new QGridLayout(m_shapeFrame);
    frameLayout->addLayout(shapeLayout, 0, 0);
    frameLayout->addWidget(m_fillingFrame, 0, 1, Qt::AlignTop);
    frameLayout->addWidget(m_colorFrame, 0, 2, Qt::AlignTop);
    // The three coordinate frames share one place; one of them shows at a time.
    for (QGroupBox* coordinates : {m_lineFrame, m_circleFrame, m_pixelFrame}) {
        QSizePolicy policy = coordinates->sizePolicy();
        policy.setRetainSizeWhenHidden(true); // the window keeps its size as they switch
        coordinates->setSizePolicy(policy);
        frameLayout->addWidget(coordinates, 1, 0, 1, 3, Qt::AlignLeft | Qt::AlignTop);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_shapeFrame);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_lineOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showLineFrame();
    });
    connect(m_rectangleOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showRectangleFrame();
    });
    connect(m_circleOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showCircleFrame();
    });
    connect(m_pixelOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showPixelFrame();
    });
    connect(m_pickColorButton, &QPushButton::clicked, this, &frmCoordinates::pickColor);
    connect(m_sendPixelButton, &QPushButton::clicked, this, &frmCoordinates::sendPixel);
    connect(m_sendLineButton, &QPushButton::clicked, this, &frmCoordinates::sendLineOrRectangle);
    connect(m_sendCircleButton, &QPushButton::clicked, this, &frmCoordinates::sendCircle);

    showLineFrame();
}

void frmCoordinates::showLineFrame() {
    showFrame(m_lineFrame, false);
}

void frmCoordinates::showRectangleFrame() {
    showFrame(m_lineFrame, true);
}

void frmCoordinates::showCircleFrame() {
    showFrame(m_circleFrame, true);
}

void frmCoordinates::showPixelFrame() {
    showFrame(m_pixelFrame, false);
}

void frmCoordinates::showFrame(QGroupBox* frame, bool emptyOrFilled) {
    for (QGroupBox* coordinates : {m_lineFrame, m_circleFrame, m_pixelFrame})
        coordinates->setVisible(coordinates == frame);
    // Disabled, the choice stays as it was for the next rectangle or circle.
    m_emptyOption->setEnabled(emptyOrFilled);
    m_filledOption->setEnabled(emptyOrFilled);
}

void frmCoordinates::pickColor() {
    m_workbench.engine().session().requestColor(
        this, [this](int color) { m_colorBox->setText(QString::number(color)); });
    m_workbench.toolWindows().show(QStringLiteral("frmColor"));
}

void frmCoordinates::sendPixel() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const auto values = readFields({{m_pixelXBox, tr("Pixel X"), MaximumX},
                                    {m_pixelYBox, tr("Pixel Y"), MaximumByte},
                                    {m_colorBox, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    engine.send(Commands::drawPixel(point(v[0], v[1]), quint8(v[2])));
}

void frmCoordinates::sendLineOrRectangle() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const bool line = m_lineOption->isChecked();
    if (!line && !m_rectangleOption->isChecked())
        return;
    const auto values = readFields({{m_startXBox, tr("Start X"), MaximumX},
                                    {m_startYBox, tr("Start Y"), MaximumByte},
                                    {m_endXBox, tr("End X"), MaximumX},
                                    {m_endYBox, tr("End Y"), MaximumByte},
                                    {m_colorBox, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    const Commands::Point start = point(v[0], v[1]);
    const Commands::Point end = point(v[2], v[3]);
    const auto color = quint8(v[4]);
    if (line)
        engine.send(Commands::drawLine(start, end, color));
    else if (m_filledOption->isChecked())
        engine.send(Commands::fillRectangle(start, end, color));
    else
        engine.send(Commands::drawRectangle(start, end, color));
}

void frmCoordinates::sendCircle() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const auto values = readFields({{m_centerXBox, tr("Center X"), MaximumX},
                                    {m_centerYBox, tr("Center Y"), MaximumByte},
                                    {m_radiusBox, tr("Radius"), MaximumByte},
                                    {m_colorBox, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    const Commands::Point center = point(v[0], v[1]);
    const auto radius = quint8(v[2]);
    const auto color = quint8(v[3]);
    engine.send(m_filledOption->isChecked() ? Commands::fillCircle(center, radius, color)
                                            : Commands::drawCircle(center, radius, color));
}

std::optional<QList<int>> frmCoordinates::readFields(const QList<Field>& fields) {
    QList<int> values;
    for (const Field& field : fields) {
        const QString text = field.box->text();
        const NumberEntry::Reading reading = NumberEntry::read(text, field.maximum);
        if (!reading.ok()) {
            m_workbench.dialogs().message(
                this, tr("Warning"),
                NumberEntry::problemText(field.name, text, *reading.problem, field.maximum),
                UserDialogs::Icon::Warning);
            field.box->setFocus();
            field.box->selectAll();
            return std::nullopt;
        }
        values.append(reading.value);
    }
    return values;
}
