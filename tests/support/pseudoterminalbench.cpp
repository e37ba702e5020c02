#include "pseudoterminalbench.h"

#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"

#include <QPushButton>
#include <QTest>

std::shared_ptr<PortCatalog> deviceCatalog(const QString& path) {
    return std::make_shared<PortCatalog>(
        [path] {
            return QList<PortEntry>{{path, path}};
        },
        [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
}

PseudoTerminalBench::PseudoTerminalBench()
    : m_board(m_boardClock)
    , m_bench(deviceCatalog(m_board.devicePath())) {
    m_bench.clock().followRealTime();
}

bool PseudoTerminalBench::connectBoard() {
    m_bench.open(QStringLiteral("frmSettings"));
    click(m_bench.find<QPushButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));
    return QTest::qWaitFor(
        [this] { return m_bench.main().statusText().startsWith(QStringLiteral("Connected: ")); });
}

bool PseudoTerminalBench::finishTransfer(int pollLimit) {
    BoardEngine& engine = m_bench.engine();
    // The serial data needs only a moment each time, far less than the real poll's interval.
    for (int poll = 0; poll < pollLimit && engine.uploadBusy(); ++poll) {
        QTest::qWait(1);
        m_bench.clock().advanceToTick(engine, QStringLiteral("Timer2"));
    }
    return !engine.uploadBusy();
}
