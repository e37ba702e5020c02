#include "serial/frmsettings.h"

#include "engine/boardengine.h"
#include "engine/linesettings.h"
#include "engine/msserial.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString DisconnectCaption = QStringLiteral("Disconnect");
// How often the port list looks at the system's ports.
constexpr int PortCheckMs = 1000;

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

    tmrPorts = named(new QTimer(this), "tmrPorts");
    tmrPorts->setInterval(PortCheckMs);
    connect(tmrPorts, &QTimer::timeout, this, &frmSettings::tmrPorts_Timer);
    tmrPorts->start();

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
    // Filled afresh, the list has its first port chosen.
    cbo_mostraporta->clear();
    BoardEngine& engine = m_workbench.engine();
    followPorts(engine.ports().ports());
    // Looking for ports gives the shared drawing colour and touch mode their start values.
    engine.session().setSelectedColor(255);
    engine.session().setTouchMode(Session::TouchMode::Off);
    cboBR->setCurrentIndex(6);
    cmbBoudRate->setCurrentIndex(6);
    m_connectLocked = engine.connection().statusText().contains(QLatin1String("Connected:"));
    showConnectionState(engine.connection().state());
}

void frmSettings::tmrPorts_Timer() {
    // A list the user has open is left alone: its entries would move under the mouse.
    // While a connection holds the list, it keeps showing the connected port.
    if (cbo_mostraporta->view()->isVisible() || !cbo_mostraporta->isEnabled())
        return;
    followPorts(m_workbench.engine().ports().ports());
}

void frmSettings::followPorts(const QList<PortEntry>& ports) {
    const QString selected = cbo_mostraporta->currentData().toString();
    const auto entryAt = [this](int index) {
        return PortEntry{cbo_mostraporta->itemText(index),
                         cbo_mostraporta->itemData(index).toString()};
    };
    for (int index = cbo_mostraporta->count() - 1; index >= 0; --index) {
        if (!ports.contains(entryAt(index)))
            cbo_mostraporta->removeItem(index);
    }
    for (int index = 0; index < ports.size(); ++index) {
        if (index >= cbo_mostraporta->count() || !(entryAt(index) == ports.at(index)))
            cbo_mostraporta->insertItem(index, ports.at(index).label, ports.at(index).name);
    }
    // Only when the order changed are there entries left over at the end.
    while (cbo_mostraporta->count() > ports.size())
        cbo_mostraporta->removeItem(cbo_mostraporta->count() - 1);

    // The chosen port while it is there, otherwise the first.
    const int kept = selected.isEmpty() ? -1 : cbo_mostraporta->findData(selected);
    cbo_mostraporta->setCurrentIndex(kept >= 0 || ports.isEmpty() ? kept : 0);
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
               "LUMARET_PORTS): it is listed here as soon as it appears."),
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
    const bool heldByConnection = !cbo_mostraporta->isEnabled();
    setListsEnabled(state == State::Idle);
    // Free again, the list catches up at once with what changed while it was held.
    if (state == State::Idle && heldByConnection)
        tmrPorts_Timer();
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
