#include "draw/frmcoordinates.h"

#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/session.h"
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

    Frame34 = named(new QGroupBox(tr("Line/Rectangle/Circle/Pixel"), this), "Frame34");
    optLine = named(new QRadioButton(tr("Line"), Frame34), "optLine");
    optRectangle = named(new QRadioButton(tr("Rectangle"), Frame34), "optRectangle");
    optCircle = named(new QRadioButton(tr("Circle"), Frame34), "optCircle");
    optPixel = named(new QRadioButton(tr("Pixel"), Frame34), "optPixel");
    auto* shapes = new QButtonGroup(this);
    for (QRadioButton* option : {optLine, optRectangle, optCircle, optPixel})
        shapes->addButton(option);
    optLine->setChecked(true);

    Frame4 = named(new QGroupBox(tr("Color"), Frame34), "Frame4");
    txtColor = numberBox("txtColor", QStringLiteral("255"), Frame4);
    cmdColor = named(new QPushButton(tr("Pick Color"), Frame4), "cmdColor");
    auto* colorLayout = new QHBoxLayout(Frame4);
    colorLayout->addWidget(txtColor);
    colorLayout->addWidget(cmdColor);

    frmEF = plainFrame("frmEF", Frame34);
    optEmpty = named(new QRadioButton(tr("Empty"), frmEF), "optEmpty");
    optFilled = named(new QRadioButton(tr("Filled"), frmEF), "optFilled");
    auto* fillings = new QButtonGroup(this);
    fillings->addButton(optEmpty);
    fillings->addButton(optFilled);
    optEmpty->setChecked(true);
    auto* fillingLayout = new QVBoxLayout(frmEF);
    fillingLayout->addWidget(optEmpty);
    fillingLayout->addWidget(optFilled);

    frmLR = plainFrame("frmLR", Frame34);
    txtX0 = numberBox("txtX0", QStringLiteral("0"), frmLR);
    txtY0 = numberBox("txtY0", QStringLiteral("0"), frmLR);
    txtX1 = numberBox("txtX1", QStringLiteral("0"), frmLR);
    txtY1 = numberBox("txtY1", QStringLiteral("0"), frmLR);
    Command23 = named(new QPushButton(tr("Send"), frmLR), "Command23");
    auto* lineLayout = new QGridLayout(frmLR);
    addPoint(lineLayout, 0, label(tr("Start"), "lblStart", txtX0, frmLR),
             label(tr("X"), "lblX0", txtX0, frmLR), txtX0, label(tr("Y"), "lblY0", txtY0, frmLR),
             txtY0);
    addPoint(lineLayout, 4, label(tr("End"), "lblEnd", txtX1, frmLR),
             label(tr("X"), "lblX1", txtX1, frmLR), txtX1, label(tr("Y"), "lblY1", txtY1, frmLR),
             txtY1);
    lineLayout->addWidget(Command23, 1, 8);

    frmCircle = plainFrame("frmCircle", Frame34);
    txtCX = numberBox("txtCX", QStringLiteral("0"), frmCircle);
    txtCY = numberBox("txtCY", QStringLiteral("0"), frmCircle);
    txtRadius = numberBox("txtRadius", QStringLiteral("0"), frmCircle);
    cmdCircle = named(new QPushButton(tr("Send"), frmCircle), "cmdCircle");
    auto* circleLayout = new QGridLayout(frmCircle);
    addPoint(circleLayout, 0, label(tr("Center"), "lblCenter", txtCX, frmCircle),
             label(tr("X"), "lblCX", txtCX, frmCircle), txtCX,
             label(tr("Y"), "lblCY", txtCY, frmCircle), txtCY);
    circleLayout->addWidget(label(tr("Radius"), "lblRadius", txtRadius, frmCircle), 0, 4);
    circleLayout->addWidget(txtRadius, 1, 4);
    circleLayout->addWidget(cmdCircle, 1, 5);

    frmPixel = plainFrame("frmPixel", Frame34);
    txtPX = numberBox("txtPX", QStringLiteral("0"), frmPixel);
    txtPY = numberBox("txtPY", QStringLiteral("0"), frmPixel);
    cmdPixel = named(new QPushButton(tr("Send"), frmPixel), "cmdPixel");
    auto* pixelLayout = new QGridLayout(frmPixel);
    addPoint(pixelLayout, 0, label(tr("Pixel"), "lblPixel", txtPX, frmPixel),
             label(tr("X"), "lblPX", txtPX, frmPixel), txtPX,
             label(tr("Y"), "lblPY", txtPY, frmPixel), txtPY);
    pixelLayout->addWidget(cmdPixel, 1, 4);

    auto* shapeLayout = new QVBoxLayout;
    for (QRadioButton* option : {optLine, optRectangle, optCircle, optPixel})
        shapeLayout->addWidget(option);
    auto* frameLayout = new QGridLayout(Frame34);
    frameLayout->addLayout(shapeLayout, 0, 0);
    frameLayout->addWidget(frmEF, 0, 1, Qt::AlignTop);
    frameLayout->addWidget(Frame4, 0, 2, Qt::AlignTop);
    // The three coordinate frames share one place; one of them shows at a time.
    for (QGroupBox* coordinates : {frmLR, frmCircle, frmPixel}) {
        QSizePolicy policy = coordinates->sizePolicy();
        policy.setRetainSizeWhenHidden(true); // the window keeps its size as they switch
        coordinates->setSizePolicy(policy);
        frameLayout->addWidget(coordinates, 1, 0, 1, 3, Qt::AlignLeft | Qt::AlignTop);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame34);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(optLine, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optLine_Click();
    });
    connect(optRectangle, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optRectangle_Click();
    });
    connect(optCircle, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optCircle_Click();
    });
    connect(optPixel, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            optPixel_Click();
    });
    connect(cmdColor, &QPushButton::clicked, this, &frmCoordinates::cmdColor_Click);
    connect(cmdPixel, &QPushButton::clicked, this, &frmCoordinates::cmdPixel_Click);
    connect(Command23, &QPushButton::clicked, this, &frmCoordinates::Command23_Click);
    connect(cmdCircle, &QPushButton::clicked, this, &frmCoordinates::cmdCircle_Click);

    optLine_Click();
}

void frmCoordinates::optLine_Click() {
    showFrame(frmLR, false);
}

void frmCoordinates::optRectangle_Click() {
    showFrame(frmLR, true);
}

void frmCoordinates::optCircle_Click() {
    showFrame(frmCircle, true);
}

void frmCoordinates::optPixel_Click() {
    showFrame(frmPixel, false);
}

void frmCoordinates::showFrame(QGroupBox* frame, bool emptyOrFilled) {
    for (QGroupBox* coordinates : {frmLR, frmCircle, frmPixel})
        coordinates->setVisible(coordinates == frame);
    // Disabled, the choice stays as it was for the next rectangle or circle.
    optEmpty->setEnabled(emptyOrFilled);
    optFilled->setEnabled(emptyOrFilled);
}

void frmCoordinates::cmdColor_Click() {
    m_workbench.engine().session().requestColor(
        this, [this](int color) { txtColor->setText(QString::number(color)); });
    m_workbench.toolWindows().show(QStringLiteral("frmColor"));
}

void frmCoordinates::cmdPixel_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const auto values = readFields({{txtPX, tr("Pixel X"), MaximumX},
                                    {txtPY, tr("Pixel Y"), MaximumByte},
                                    {txtColor, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    engine.send(Commands::drawPixel(point(v[0], v[1]), quint8(v[2])));
}

void frmCoordinates::Command23_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const bool line = optLine->isChecked();
    if (!line && !optRectangle->isChecked())
        return;
    const auto values = readFields({{txtX0, tr("Start X"), MaximumX},
                                    {txtY0, tr("Start Y"), MaximumByte},
                                    {txtX1, tr("End X"), MaximumX},
                                    {txtY1, tr("End Y"), MaximumByte},
                                    {txtColor, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    const Commands::Point start = point(v[0], v[1]);
    const Commands::Point end = point(v[2], v[3]);
    const auto color = quint8(v[4]);
    if (line)
        engine.send(Commands::drawLine(start, end, color));
    else if (optFilled->isChecked())
        engine.send(Commands::fillRectangle(start, end, color));
    else
        engine.send(Commands::drawRectangle(start, end, color));
}

void frmCoordinates::cmdCircle_Click() {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.readyForCommand())
        return;
    const auto values = readFields({{txtCX, tr("Center X"), MaximumX},
                                    {txtCY, tr("Center Y"), MaximumByte},
                                    {txtRadius, tr("Radius"), MaximumByte},
                                    {txtColor, tr("Color"), MaximumByte}});
    if (!values)
        return;
    const QList<int>& v = *values;
    const Commands::Point center = point(v[0], v[1]);
    const auto radius = quint8(v[2]);
    const auto color = quint8(v[3]);
    engine.send(optFilled->isChecked() ? Commands::fillCircle(center, radius, color)
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
