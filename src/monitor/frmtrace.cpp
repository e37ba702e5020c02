#include "monitor/frmtrace.h"

#include "board/traceplayback.h"
#include "engine/boardengine.h"
#include "engine/tracereader.h"
#include "engine/tracetext.h"
#include "monitor/conversationmodel.h"
#include "monitor/eventscreenpanel.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

frmTrace* frmTrace::open(Workbench& workbench, QWidget* parent) {
    const QString path = workbench.dialogs().openFileName(
        parent, QObject::tr("Trace Files(*.txt)|*.txt|All Files(*.*)|*.*|"), QDir::homePath());
    if (path.isEmpty())
        return nullptr;
    const TraceReader::Result trace = TraceReader::readFile(path);
    if (!trace.error.isEmpty()) {
        workbench.dialogs().message(parent, QObject::tr("Warning"),
                                    QObject::tr("%1 is not a trace that can be opened: %2.")
                                        .arg(QDir::toNativeSeparators(path), trace.error),
                                    UserDialogs::Icon::Warning);
        return nullptr;
    }
    auto* window = new frmTrace(workbench, std::make_unique<TracePlayback>(trace.events),
                                QFileInfo(path).fileName(), parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

frmTrace::frmTrace(Workbench& workbench, std::unique_ptr<TracePlayback> playback,
                   const QString& name, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_playback(std::move(playback)) {
    setObjectName(QStringLiteral("frmTrace"));
    setWindowTitle(tr("Trace - %1 (read only)").arg(name));
    m_model = new ConversationModel(m_playback->conversation(), workbench.clock(), this);
    // A trace has every block as a row of its own.
    m_model->setFilter({true, true, true});

    tblConversation = named(new QTableView(this), "tblConversation");
    tblConversation->setModel(m_model);
    tblConversation->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblConversation->setSelectionMode(QAbstractItemView::SingleSelection);
    tblConversation->setWordWrap(false);
    tblConversation->verticalHeader()->hide();
    tblConversation->horizontalHeader()->setSectionResizeMode(ConversationModel::MeaningColumn,
                                                              QHeaderView::Stretch);
    lblEvent = named(new QLabel(this), "lblEvent");
    lblEvent->setWordWrap(true);
    lblEvent->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_screen = new EventScreenPanel(m_playback->mirror(), workbench.dialogs(), this);

    auto* rows = new QVBoxLayout;
    rows->addWidget(tblConversation, 1);
    rows->addWidget(lblEvent);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(rows, 1);
    layout->addWidget(m_screen);
    resize(900, 420);
    connect(tblConversation->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmTrace::showSelectedEvent);
}

frmTrace::~frmTrace() = default;

void frmTrace::showSelectedEvent() {
    const QModelIndex current = tblConversation->currentIndex();
    if (!current.isValid()) {
        lblEvent->clear();
        m_screen->showScreenAfter(std::nullopt);
        return;
    }
    lblEvent->setText(TraceText::line(m_model->event(current.row())));
    m_screen->showScreenAfter(m_model->eventNumber(current.row()));
}
