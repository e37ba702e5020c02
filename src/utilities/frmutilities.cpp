#include "utilities/frmutilities.h"

#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/commands.h"
#include "engine/msserial.h"
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
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The touch controller is off for more than these pauses around a backlight or a
// beep-on-touch change.
constexpr int BacklightPauseMs = 251;
constexpr int BeepOnTouchPauseMs = 501;
constexpr int DisplayTickMs = 80;
constexpr int ReportBoxWidth = 160;

const QString CommandAcknowledge = QStringLiteral("!");

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
    , CommonDialog1{tr("ZEP File (*.zep)|*.zep|"), QString()} {
    setWindowTitle(tr(" Utilities "));

    cmdClear = named(new QPushButton(tr("Clear")), "cmdClear");
    cmdRotate = named(new QPushButton(tr("Rotate 180")), "cmdRotate");
    Frame5 = frameWith(tr("Screen"), "Frame5", this, {cmdClear, cmdRotate}, Qt::Vertical);
    // The colour "Clear" fills the screen with.
    auto* shpClearColor = named(new ColorSwatch(Frame5), "shpClearColor");
    shpClearColor->setValue(workbench.engine().session().selectedColor());
    connect(&workbench.engine().session(), &Session::selectedColorChanged, shpClearColor,
            &ColorSwatch::setValue);
    Frame5->layout()->addWidget(shpClearColor);

    cmdBL = named(new QPushButton(tr("Backlight Off")), "cmdBL");
    cmdBeep = named(new QPushButton(tr("Beep")), "cmdBeep");
    Frame4 = frameWith(tr("Controller"), "Frame4", this, {cmdBL, cmdBeep}, Qt::Vertical);

    cmdUpdate = named(new QPushButton(tr("Update")), "cmdUpdate");
    Frame7 = frameWith(tr("Firmware"), "Frame7", this, {cmdUpdate}, Qt::Vertical);

    Frame1 = named(new QGroupBox(tr("Touch Screen"), this), "Frame1");
    cmdCoordinates = named(new QPushButton(tr("Coordinates")), "cmdCoordinates");
    cmdKeypad = named(new QPushButton(tr("Keypad")), "cmdKeypad");
    cmdOFF = named(new QPushButton(tr("OFF")), "cmdOFF");
    chkBeep = named(new QCheckBox(tr("Beep on touch")), "chkBeep");
    Frame3 = frameWith(tr("Operation"), "Frame3", Frame1,
                       {cmdCoordinates, cmdKeypad, cmdOFF, chkBeep}, Qt::Vertical);
    txtCoordinates = reportBox("txtCoordinates", Frame1);
    Frame6 = frameWith(tr("Coordinates"), "Frame6", Frame1, {txtCoordinates}, Qt::Vertical);
    txtControllerResponse = reportBox("txtControllerResponse", Frame1);
    Frame9 = frameWith(tr("Controller response"), "Frame9", Frame1, {txtControllerResponse},
                       Qt::Vertical);
    cmdCal = named(new QPushButton(tr("Calibrate")), "cmdCal");
    cmdRestore = named(new QPushButton(tr("Restore Default")), "cmdRestore");
    Frame2 = frameWith(tr("Calibration"), "Frame2", Frame1, {cmdCal, cmdRestore}, Qt::Horizontal);

    auto* touchLayout = new QGridLayout(Frame1);
    touchLayout->addWidget(Frame3, 0, 0, 3, 1);
    touchLayout->addWidget(Frame6, 0, 1);
    touchLayout->addWidget(Frame9, 1, 1);
    touchLayout->addWidget(Frame2, 2, 1);

    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(Frame5);
    leftColumn->addWidget(Frame4);
    leftColumn->addWidget(Frame7);
    leftColumn->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(leftColumn);
    layout->addWidget(Frame1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(DisplayTickMs);

    connect(cmdClear, &QPushButton::clicked, this, &frmUtilities::cmdClear_Click);
    connect(cmdRotate, &QPushButton::clicked, this, &frmUtilities::cmdRotate_Click);
    connect(cmdBL, &QPushButton::clicked, this, &frmUtilities::cmdBL_Click);
    connect(cmdBeep, &QPushButton::clicked, this, &frmUtilities::cmdBeep_Click);
    connect(cmdCoordinates, &QPushButton::clicked, this, &frmUtilities::cmdCoordinates_Click);
    connect(cmdKeypad, &QPushButton::clicked, this, &frmUtilities::cmdKeypad_Click);
    connect(cmdOFF, &QPushButton::clicked, this, &frmUtilities::cmdOFF_Click);
    connect(chkBeep, &QCheckBox::clicked, this, &frmUtilities::chkBeep_Click);
    connect(cmdCal, &QPushButton::clicked, this, &frmUtilities::cmdCal_Click);
    connect(cmdRestore, &QPushButton::clicked, this, &frmUtilities::cmdRestore_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmUtilities::cmdUpdate_Click);
    connect(Timer1, &QTimer::timeout, this, &frmUtilities::Timer1_Timer);

    // An update started from an earlier utilities window may still be running.
    if (FirmwareUpdate* update = FirmwareUpdate::running(workbench))
        followUpdate(update);
}

void frmUtilities::cmdClear_Click() {
    BoardEngine& engine = m_workbench.engine();
    engine.send(Commands::clearScreen(quint8(engine.session().selectedColor())));
}

void frmUtilities::cmdRotate_Click() {
    m_workbench.engine().send(Commands::rotateScreen());
}

void frmUtilities::cmdBL_Click() {
    if (!m_workbench.engine().readyForCommand())
        return;
    inTouchPause(BacklightPauseMs, [this] {
        // The caption names what the click does; it is the only record of the state.
        const bool switchOn = cmdBL->text() == tr("Backlight On");
        if (m_workbench.engine().send(Commands::setBacklight(switchOn)))
            cmdBL->setText(switchOn ? tr("Backlight Off") : tr("Backlight On"));
    });
}

void frmUtilities::cmdBeep_Click() {
    m_workbench.engine().send(Commands::beep());
}

void frmUtilities::cmdCoordinates_Click() {
    switchTouchMode(Commands::touchCoordinatesOn(), Session::TouchMode::Coordinates);
}

void frmUtilities::cmdKeypad_Click() {
    switchTouchMode(Commands::touchKeypadOn(), Session::TouchMode::Keypad);
}

void frmUtilities::cmdOFF_Click() {
    switchTouchMode(Commands::touchOff(), Session::TouchMode::Off);
}

void frmUtilities::switchTouchMode(const WriteList& command, Session::TouchMode mode) {
    BoardEngine& engine = m_workbench.engine();
    if (!engine.send(command))
        return;
    // The reports are shown while reporting is on.
    if (mode == Session::TouchMode::Off)
        Timer1->stop();
    else
        Timer1->start();
    engine.session().setTouchMode(mode);
}

void frmUtilities::chkBeep_Click() {
    if (!m_workbench.engine().readyForCommand())
        return;
    inTouchPause(BeepOnTouchPauseMs, [this] {
        m_workbench.engine().send(Commands::setBeepOnTouch(chkBeep->isChecked()));
    });
}

void frmUtilities::cmdCal_Click() {
    m_workbench.engine().send(Commands::touchCalibrate());
}

void frmUtilities::cmdRestore_Click() {
    m_workbench.engine().send(Commands::restoreCalibration());
}

void frmUtilities::inTouchPause(int pauseMs, std::function<void()> send) {
    BoardEngine& engine = m_workbench.engine();
    const Session::TouchMode savedMode = engine.session().touchMode();
    cmdOFF_Click();
    // One pause at a time: a second one would take "off" as the mode to restore.
    setTouchPauseRunning(true);
    engine.clock().callAfter(pauseMs, this, [this, savedMode, send = std::move(send)] {
        setTouchPauseRunning(false);
        // A port closed (or an upload started) during the pause takes nothing more.
        if (!m_workbench.engine().readyForCommand())
            return;
        send();
        restoreTouchMode(savedMode);
    });
}

void frmUtilities::restoreTouchMode(Session::TouchMode mode) {
    if (mode == Session::TouchMode::Coordinates)
        cmdCoordinates_Click();
    else if (mode == Session::TouchMode::Keypad)
        cmdKeypad_Click();
}

void frmUtilities::setTouchPauseRunning(bool running) {
    cmdBL->setEnabled(!running);
    chkBeep->setEnabled(!running);
}

void frmUtilities::Timer1_Timer() {
    const Session& session = m_workbench.engine().session();
    const QString response = session.controllerResponse();
    if (response.isEmpty() || response == CommandAcknowledge)
        return;
    // Set only when it changed, so that the user can select and copy the text.
    if (txtControllerResponse->text() != response)
        txtControllerResponse->setText(response);
    if (session.touchMode() == Session::TouchMode::Keypad) {
        // A key press is shown as it came; there is no position to show.
        txtCoordinates->clear();
        return;
    }
    if (const auto point = TouchReport::decode(txtControllerResponse->text()))
        txtCoordinates->setText(TouchReport::format(*point));
}

void frmUtilities::cmdUpdate_Click() {
    if (FirmwareUpdate::running(m_workbench))
        return;
    const QString chosenPath =
        m_workbench.dialogs().openFileName(this, CommonDialog1.filter, CommonDialog1.initialFolder);
    CommonDialog1.initialFolder = m_updaterSetup.folder;
    if (chosenPath.isEmpty())
        return;
    auto* update = new FirmwareUpdate(m_workbench, m_updaterSetup, chosenPath);
    followUpdate(update);
    update->run();
}

void frmUtilities::followUpdate(FirmwareUpdate* update) {
    cmdUpdate->setEnabled(false);
    connect(update, &FirmwareUpdate::finished, this, [this] { cmdUpdate->setEnabled(true); });
}
