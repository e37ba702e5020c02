#include "serial/frmsettings.h"

#include "engine/boardengine.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString DisconnectCaption = QStringLiteral("Disconnect");

QStringList speedItems() {
    QStringList items;
    for (int rate : LineSettings::baudRates())
        items.append(QString::number(rate));
    return items;
}

} // namespace

frmSettings::frmSettings(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr("Settings "));

    Connect = named(new QGroupBox(tr("Settings"), this), "Connect");
    Label1 = named(new QLabel(tr("COM Port"), Connect), "Label1");
    cbo_mostraporta = named(new QComboBox(Connect), "cbo_mostraporta");
    cbo_mostraporta->setMinimumContentsLength(12);
    Label2 = named(new QLabel(tr("Baud Rate"), Connect), "Label2");
    cboBR = named(new QComboBox(Connect), "cboBR");
    cboBR->addItems(speedItems());
    cmd_conecta = named(new QPushButton(tr("Connect"), Connect), "cmd_conecta");
    Label1->setBuddy(cbo_mostraporta);
    Label2->setBuddy(cboBR);

    auto* connectLayout = new QGridLayout(Connect);
    connectLayout->addWidget(Label1, 0, 0);
    connectLayout->addWidget(cbo_mostraporta, 0, 1);
    connectLayout->addWidget(Label2, 1, 0);
    connectLayout->addWidget(cboBR, 1, 1);
    connectLayout->addWidget(cmd_conecta, 2, 1, Qt::AlignRight);

    Frame10 = named(new QGroupBox(tr("Change Baud Rate"), this), "Frame10");
    cmbBoudRate = named(new QComboBox(Frame10), "cmbBoudRate");
    cmbBoudRate->setEditable(true);
    cmbBoudRate->setInsertPolicy(QComboBox::NoInsert);
    cmbBoudRate->addItems(speedItems());
    cmbBoudRate->setEditText(QStringLiteral("Combo1"));
    cmdBaudRate = named(new QPushButton(tr("OK"), Frame10), "cmdBaudRate");
    auto* rateLayout = new QHBoxLayout(Frame10);
    rateLayout->addWidget(cmbBoudRate, 1);
    rateLayout->addWidget(cmdBaudRate);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Connect);
    layout->addWidget(Frame10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmd_conecta, &QPushButton::clicked, this, &frmSettings::cmd_conecta_Click);
    connect(cmdBaudRate, &QPushButton::clicked, this, &frmSettings::cmdBaudRate_Click);

    ConnectionController& connection = workbench.engine().connection();
    connect(&connection, &ConnectionController::stateChanged, this,
            &frmSettings::showConnectionState);
    connect(&connection, &ConnectionController::failed, this, [this] { setListsEnabled(true); });
    connect(&connection, &ConnectionController::rateChangeStarted, this,
            [this](int rateIndex) { cboBR->setCurrentIndex(rateIndex); });
    connect(&connection, &ConnectionController::rateChangeFinished, this, [this] {
        m_connectLocked = false;
        // The reconnect at the new speed is still probing: the focus goes to the button
        // once it can be pressed.
        m_focusConnectWhenEnabled = true;
        updateConnectButton();
    });

    Form_Load();
}

void frmSettings::Form_Load() {
    cbo_mostraporta->clear();
    BoardEngine& engine = m_workbench.engine();
    const QList<PortEntry> ports = engine.ports().ports();
    for (const PortEntry& port : ports)
        cbo_mostraporta->addItem(port.label, port.name);
    // Looking for ports gives the shared drawing colour and touch mode their start values.
    engine.session().setSelectedColor(255);
    engine.session().setTouchMode(Session::TouchMode::Off);
    cbo_mostraporta->setCurrentIndex(ports.isEmpty() ? -1 : 0);
    cboBR->setCurrentIndex(6);
    cmbBoudRate->setCurrentIndex(6);
    m_connectLocked = engine.connection().statusText().contains(QLatin1String("Connected:"));
    showConnectionState(engine.connection().state());
}

void frmSettings::cmd_conecta_Click() {
    setListsEnabled(false);
    BoardEngine& engine = m_workbench.engine();
    if (cmd_conecta->text() == DisconnectCaption) {
        // An upload still running first finishes the board's command.
        engine.disconnect();
        return;
    }
    if (cbo_mostraporta->currentIndex() < 0) {
        setListsEnabled(true);
        m_workbench.dialogs().message(
            this, tr("Warning"),
            tr("No serial port to connect to. Attach the board (or name its device in "
               "LUMARET_PORTS) and open Settings again."),
            UserDialogs::Icon::Warning);
        return;
    }
    engine.connection().connectTo(cbo_mostraporta->currentData().toString(), appliedBaudRate());
}

void frmSettings::cmdBaudRate_Click() {
    BoardEngine& engine = m_workbench.engine();
    // Nothing while the port is closed; held back while an upload owns the line.
    if (!engine.readyForCommand())
        return;
    const int rateIndex = cmbBoudRate->findText(cmbBoudRate->currentText(), Qt::MatchExactly);
    if (rateIndex < 0) {
        m_workbench.dialogs().message(this, tr("Warning"),
                                      tr("Choose a baud rate from the list: %1.")
                                          .arg(speedItems().join(QStringLiteral(", "))),
                                      UserDialogs::Icon::Warning);
        return;
    }
    if (m_workbench.dialogs().message(
            this, tr("Attention"), tr("Remove jumper 1 from J11 and click OK."),
            UserDialogs::Icon::Warning, UserDialogs::Buttons::OkCancel) != UserDialogs::Answer::Ok)
        return;
    engine.connection().changeBoardRate(rateIndex);
}

QString frmSettings::appliedBaudRate() const {
    const QString settings = LineSettings::forIndex(cboBR->currentIndex());
    return settings.isEmpty() ? m_workbench.engine().port().settings() : settings;
}

void frmSettings::setListsEnabled(bool enabled) {
    cbo_mostraporta->setEnabled(enabled);
    cboBR->setEnabled(enabled);
}

void frmSettings::showConnectionState(ConnectionController::State state) {
    using State = ConnectionController::State;
    if (state == State::Idle)
        m_connectLocked = false;
    cmd_conecta->setText(state == State::Connected ? DisconnectCaption : tr("Connect"));
    setListsEnabled(state == State::Idle);
    updateConnectButton();
}

void frmSettings::updateConnectButton() {
    using State = ConnectionController::State;
    const State state = m_workbench.engine().connection().state();
    cmd_conecta->setEnabled(!m_connectLocked && state != State::Probing &&
                            state != State::ChangingRate);
    if (cmd_conecta->isEnabled() && std::exchange(m_focusConnectWhenEnabled, false))
        cmd_conecta->setFocus();
}
