#include "serial/frmsettings.h"

#include "engine/boardengine.h"
#include "engine/linesettings.h"
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

    m_connectGroup = named(new QGroupBox(tr("Settings"), this), "Connect");
    m_portLabel = named(new QLabel(tr("COM Port"), m_connectGroup), "Label1");
    m_portList = named(new QComboBox(m_connectGroup), "cbo_mostraporta");
    m_portList->setMinimumContentsLength(12);
    m_speedLabel = named(new QLabel(tr("Baud Rate"), m_connectGroup), "Label2");
    m_speedList = named(new QComboBox(m_connectGroup), "cboBR");
    m_speedList->addItems(speedItems());
    m_connectButton = named(new QPushButton(tr("Connect"), m_connectGroup), "cmd_conecta");
    m_portLabel->setBuddy(m_portList);
    m_speedLabel->setBuddy(m_speedList);

    auto* connectLayout = new QGridLayout(m_connectGroup);
    connectLayout->addWidget(m_portLabel, 0, 0);
    connectLayout->addWidget(m_portList, 0, 1);
    connectLayout->addWidget(m_speedLabel, 1, 0);
    connectLayout->addWidget(m_speedList, 1, 1);
    connectLayout->addWidget(m_connectButton, 2, 1, Qt::AlignRight);

    m_boardRateGroup = named(new QGroupBox(tr("Change Baud Rate"), this), "Frame10");
    m_boardRateList = named(new QComboBox(m_boardRateGroup), "cmbBoudRate");
    m_boardRateList->setEditable(true);
    m_boardRateList->setInsertPolicy(QComboBox::NoInsert);
    m_boardRateList->addItems(speedItems());
    m_boardRateList->setEditText(QStringLiteral("Combo1"));
    m_boardRateButton = named(new QPushButton(tr("OK"), m_boardRateGroup), "cmdBaudRate");
    auto* rateLayout = new QHBoxLayout(m_boardRateGroup);
    rateLayout->addWidget(m_boardRateList, 1);
    rateLayout->addWidget(m_boardRateButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_connectGroup);
    layout->addWidget(m_boardRateGroup);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_portCheck = named(new QTimer(this), "tmrPorts");
    m_portCheck->setInterval(PortCheckMs);
    connect(m_portCheck, &QTimer::timeout, this, &frmSettings::onPortCheck);
    m_portCheck->start();

    connect(m_connectButton, &QPushButton::clicked, this, &frmSettings::onConnectClicked);
    connect(m_boardRateButton, &QPushButton::clicked, this, &frmSettings::onBoardRateClicked);

    BoardEngine& engine = workbench.engine();
    connect(&engine, &BoardEngine::connectionStateChanged, this, &frmSettings::showConnectionState);
    connect(&engine, &BoardEngine::connectFailed, this, [this] { setListsEnabled(true); });
    connect(&engine, &BoardEngine::rateChangeStarted, this,
            [this](int rateIndex) { m_speedList->setCurrentIndex(rateIndex); });
    connect(&engine, &BoardEngine::rateChangeFinished, this, [this] {
        m_connectLocked = false;
        // The reconnect at the new speed is still probing: the focus goes to the button
        // once it can be pressed.
        m_focusConnectWhenEnabled = true;
        updateConnectButton();
    });

    loadFreshState();
}

void frmSettings::loadFreshState() {
    // Filled afresh, the list has its first port chosen.
    m_portList->clear();
    BoardEngine& engine = m_workbench.engine();
    followPorts(m_workbench.ports().ports());
    // Looking for ports gives the shared drawing colour and touch mode their start values.
    engine.session().setSelectedColor(255);
    engine.session().setTouchMode(Session::TouchMode::Off);
    m_speedList->setCurrentIndex(6);
    m_boardRateList->setCurrentIndex(6);
    m_connectLocked = engine.statusText().contains(QLatin1String("Connected:"));
    showConnectionState(engine.connectionState());
}

void frmSettings::onPortCheck() {
    // A list the user has open is left alone: its entries would move under the mouse.
    // While a connection holds the list, it keeps showing the connected port.
    if (m_portList->view()->isVisible() || !m_portList->isEnabled())
        return;
    followPorts(m_workbench.ports().ports());
}

void frmSettings::followPorts(const QList<PortEntry>& ports) {
    const QString selected = m_portList->currentData().toString();
    const auto entryAt = [this](int index) {
        return PortEntry{m_portList->itemText(index), m_portList->itemData(index).toString()};
    };
    for (int index = m_portList->count() - 1; index >= 0; --index) {
        if (!ports.contains(entryAt(index)))
            m_portList->removeItem(index);
    }
    for (int index = 0; index < ports.size(); ++index) {
        if (index >= m_portList->count() || !(entryAt(index) == ports.at(index)))
            m_portList->insertItem(index, ports.at(index).label, ports.at(index).name);
    }
    // Only when the order changed are there entries left over at the end.
    while (m_portList->count() > ports.size())
        m_portList->removeItem(m_portList->count() - 1);

    // The chosen port while it is there, otherwise the first.
    const int kept = selected.isEmpty() ? -1 : m_portList->findData(selected);
    m_portList->setCurrentIndex(kept >= 0 || ports.isEmpty() ? kept : 0);
}

void frmSettings::onConnectClicked() {
    setListsEnabled(false);
    BoardEngine& engine = m_workbench.engine();
    if (m_connectButton->text() == DisconnectCaption) {
        // An upload still running first finishes the board's command.
        engine.disconnect();
        return;
    }
    if (m_portList->currentIndex() < 0) {
        setListsEnabled(true);
        m_workbench.dialogs().message(
            this, tr("Warning"),
            tr("No serial port to connect to. Attach the board (or name its device in "
               "LUMARET_PORTS): it is listed here as soon as it appears."),
            UserDialogs::Icon::Warning);
        return;
    }
    engine.connectTo(m_portList->currentData().toString(), appliedBaudRate());
}

void frmSettings::onBoardRateClicked() {
    BoardEngine& engine = m_workbench.engine();
    // Nothing while the port is closed; held back while an upload owns the line.
    if (!engine.readyForCommand())
        return;
    const int rateIndex =
        m_boardRateList->findText(m_boardRateList->currentText(), Qt::MatchExactly);
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
    engine.changeBoardRate(rateIndex);
}

QString frmSettings::appliedBaudRate() const {
    const QString settings = LineSettings::forIndex(m_speedList->currentIndex());
    return settings.isEmpty() ? m_workbench.engine().lineSettings() : settings;
}

void frmSettings::setListsEnabled(bool enabled) {
    m_portList->setEnabled(enabled);
    m_speedList->setEnabled(enabled);
}

void frmSettings::showConnectionState(ConnectionController::State state) {
    using State = ConnectionController::State;
    if (state == State::Idle)
        m_connectLocked = false;
    m_connectButton->setText(state == State::Connected ? DisconnectCaption : tr("Connect"));
    const bool heldByConnection = !m_portList->isEnabled();
    setListsEnabled(state == State::Idle);
    // Free again, the list catches up at once with what changed while it was held.
    if (state == State::Idle && heldByConnection)
        onPortCheck();
    updateConnectButton();
}

void frmSettings::updateConnectButton() {
    using State = ConnectionController::State;
    const State state = m_workbench.engine().connectionState();
    m_connectButton->setEnabled(!m_connectLocked && state != State::Probing &&
                                state != State::ChangingRate);
    if (m_connectButton->isEnabled() && std::exchange(m_focusConnectWhenEnabled, false))
        m_connectButton->setFocus();
}
