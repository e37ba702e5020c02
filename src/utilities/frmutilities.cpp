#include "utilities/frmutilities.h"

#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/commands.h"
#include "engine/session.h"
#include "engine/touchreport.h"
#include "workbench/colorswatch.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int DisplayTickMs = 80;
constexpr int ReportBoxWidth = 160;

QLineEdit* reportBox(const char* name, QWidget* parent) {
    auto* box = named(new QLineEdit(parent), name);
    box->setReadOnly(true);
    box->setMinimumWidth(ReportBoxWidth);
    return box;
}

QGroupBox* frameWith(const QString& caption, const char* name, QWidget* parent,
                     const QList<QWidget*>& children, Qt::Orientation orientation) {
    auto* frame = named(new QGroupBox(caption, parent), name);
    auto* layout = new QBoxLayout(
        orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, frame);
    for (QWidget* child : children) {
        child->setParent(frame);
        layout->addWidget(child);
    }
    return frame;
}

} // namespace

frmUtilities::frmUtilities(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_updaterSetup(UpdaterSetup::system())
    , m_firmwareDialog{tr("ZEP File (*.zep)|*.zep|"), QString()} {
    setWindowTitle(tr(" Utilities "));

    auto* clearButton = named(new QPushButton(tr("Clear")), "cmdClear");
    auto* rotateButton = named(new QPushButton(tr("Rotate 180")), "cmdRotate");
    QGroupBox* screenFrame =
        frameWith(tr("Screen"), "Frame5", this, {clearButton, rotateButton}, Qt::Vertical);
    // The colour "Clear" fills the screen with.
    auto* clearColorSwatch = named(new ColorSwatch(screenFrame), "shpClearColor");
    clearColorSwatch->setValue(workbench.engine().session().selectedColor());
    connect(&workbench.engine().session(), &Session::selectedColorChanged, clearColorSwatch,
            &ColorSwatch::setValue);
    screenFrame->layout()->addWidget(clearColorSwatch);

    m_backlightButton = named(new QPushButton, "cmdBL");
    auto* beepButton = named(new QPushButton(tr("Beep")), "cmdBeep");
    QGroupBox* controllerFrame =
        frameWith(tr("Controller"), "Frame4", this, {m_backlightButton, beepButton}, Qt::Vertical);

    m_updateButton = named(new QPushButton(tr("Update")), "cmdUpdate");
    QGroupBox* firmwareFrame =
        frameWith(tr("Firmware"), "Frame7", this, {m_updateButton}, Qt::Vertical);

    auto* touchFrame = named(new QGroupBox(tr("Touch Screen"), this), "Frame1");
    auto* coordinatesButton = named(new QPushButton(tr("Coordinates")), "cmdCoordinates");
    auto* keypadButton = named(new QPushButton(tr("Keypad")), "cmdKeypad");
    auto* offButton = named(new QPushButton(tr("OFF")), "cmdOFF");
    m_beepOnTouchBox = named(new QCheckBox(tr("Beep on touch")), "chkBeep");
    QGroupBox* operationFrame =
        frameWith(tr("Operation"), "Frame3", touchFrame,
                  {coordinatesButton, keypadButton, offButton, m_beepOnTouchBox}, Qt::Vertical);
    m_coordinatesBox = reportBox("txtCoordinates", touchFrame);
    QGroupBox* coordinatesFrame =
        frameWith(tr("Coordinates"), "Frame6", touchFrame, {m_coordinatesBox}, Qt::Vertical);
    m_responseBox = reportBox("txtControllerResponse", touchFrame);
    QGroupBox* responseFrame =
        frameWith(tr("Controller response"), "Frame9", touchFrame, {m_responseBox}, Qt::Vertical);
    auto* calibrateButton = named(new QPushButton(tr("Calibrate")), "cmdCal");
    auto* restoreButton = named(new QPushButton(tr("Restore Default")), "cmdRestore");
    QGroupBox* calibrationFrame = frameWith(tr("Calibration"), "Frame2", touchFrame,
                                            {calibrateButton, restoreButton}, Qt::Horizontal);

    auto* touchLayout = new QGridLayout(touchFrame);
    touchLayout->addWidget(operationFrame, 0, 0, 3, 1);
    touchLayout->addWidget(coordinatesFrame, 0, 1);
    touchLayout->addWidget(responseFrame, 1, 1);
    touchLayout->addWidget(calibrationFrame, 2, 1);

    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(screenFrame);
    leftColumn->addWidget(controllerFrame);
    leftColumn->addWidget(firmwareFrame);
    leftColumn->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(leftColumn);
    layout->addWidget(touchFrame);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    BoardEngine& engine = workbench.engine();
    m_reportDisplay =
        new ClockTimer(workbench.clock(), QStringLiteral("Timer1"), DisplayTickMs, false, this);

    connect(clearButton, &QPushButton::clicked, this, &frmUtilities::clearScreen);
    connect(rotateButton, &QPushButton::clicked, this, &frmUtilities::rotateScreen);
    connect(m_backlightButton, &QPushButton::clicked, this, &frmUtilities::switchBacklight);
    connect(beepButton, &QPushButton::clicked, this, &frmUtilities::beep);
    connect(coordinatesButton, &QPushButton::clicked, this, &frmUtilities::reportCoordinates);
    connect(keypadButton, &QPushButton::clicked, this, &frmUtilities::reportKeys);
    connect(offButton, &QPushButton::clicked, this, &frmUtilities::stopReporting);
    connect(m_beepOnTouchBox, &QCheckBox::clicked, this, &frmUtilities::switchBeepOnTouch);
    connect(calibrateButton, &QPushButton::clicked, this, &frmUtilities::calibrateTouch);
    connect(restoreButton, &QPushButton::clicked, this, &frmUtilities::restoreCalibration);
    connect(m_updateButton, &QPushButton::clicked, this, &frmUtilities::updateFirmware);
    connect(m_reportDisplay, &ClockTimer::timeout, this, &frmUtilities::showLatestReport);
    connect(&engine, &BoardEngine::touchModeSwitched, this, &frmUtilities::followTouchMode);
    // One pause at a time: the buttons that start one wait for its end.
    connect(&engine, &BoardEngine::touchPauseChanged, this, [this](bool running) {
        m_backlightButton->setEnabled(!running);
        m_beepOnTouchBox->setEnabled(!running);
    });
    connect(&engine.session(), &Session::backlightChanged, this,
            &frmUtilities::showBacklightAction);
    // As designed, a window that opens takes the backlight to be on, whatever it was.
    engine.session().setBacklightOn(true);
    showBacklightAction(true);

    // An update started from an earlier utilities window may still be running.
    if (FirmwareUpdate* update = FirmwareUpdate::running(workbench))
        followUpdate(update);
}

void frmUtilities::clearScreen() {
    BoardEngine& engine = m_workbench.engine();
    engine.send(Commands::clearScreen(quint8(engine.session().selectedColor())));
}

void frmUtilities::rotateScreen() {
    m_workbench.engine().send(Commands::rotateScreen());
}

void frmUtilities::switchBacklight() {
    BoardEngine& engine = m_workbench.engine();
    engine.switchBacklight(!engine.session().backlightOn());
}

void frmUtilities::showBacklightAction(bool backlightOn) {
    // The caption names what the next click does.
    m_backlightButton->setText(backlightOn ? tr("Backlight Off") : tr("Backlight On"));
}

void frmUtilities::beep() {
    m_workbench.engine().send(Commands::beep());
}

void frmUtilities::reportCoordinates() {
    m_workbench.engine().switchTouchMode(Session::TouchMode::Coordinates);
}

void frmUtilities::reportKeys() {
    m_workbench.engine().switchTouchMode(Session::TouchMode::Keypad);
}

void frmUtilities::stopReporting() {
    m_workbench.engine().switchTouchMode(Session::TouchMode::Off);
}

void frmUtilities::followTouchMode(Session::TouchMode mode) {
    if (mode == Session::TouchMode::Coordinates || mode == Session::TouchMode::Keypad)
        m_reportDisplay->start();
    else
        m_reportDisplay->stop();
}

void frmUtilities::switchBeepOnTouch() {
    m_workbench.engine().sendInTouchPause(Commands::setBeepOnTouch(m_beepOnTouchBox->isChecked()));
}

void frmUtilities::calibrateTouch() {
    m_workbench.engine().send(Commands::touchCalibrate());
}

void frmUtilities::restoreCalibration() {
    m_workbench.engine().send(Commands::restoreCalibration());
}

void frmUtilities::showLatestReport() {
    const BoardAnswers::Answer answer = m_workbench.engine().latestAnswer();
    if (answer.isEmpty() || answer.isAcknowledge())
        return;
    const QString response = QString::fromLatin1(answer.bytes);
    // Set only when it changed, so that the user can select and copy the text.
    if (m_responseBox->text() != response)
        m_responseBox->setText(response);
    if (m_workbench.engine().session().touchMode() == Session::TouchMode::Keypad) {
        // A key press is shown as it came; there is no position to show.
        m_coordinatesBox->clear();
        return;
    }
    if (answer.point)
        m_coordinatesBox->setText(TouchReport::format(*answer.point));
}

void frmUtilities::updateFirmware() {
    if (FirmwareUpdate::running(m_workbench))
        return;
    const QString chosenPath = m_workbench.dialogs().openFileName(this, m_firmwareDialog.filter,
                                                                  m_firmwareDialog.initialFolder);
    m_firmwareDialog.initialFolder = m_updaterSetup.folder;
    if (chosenPath.isEmpty())
        return;
    auto* update = new FirmwareUpdate(m_workbench, m_updaterSetup, chosenPath);
    followUpdate(update);
    update->run();
}

void frmUtilities::followUpdate(FirmwareUpdate* update) {
    m_updateButton->setEnabled(false);
    connect(update, &FirmwareUpdate::finished, this, [this] { m_updateButton->setEnabled(true); });
}
