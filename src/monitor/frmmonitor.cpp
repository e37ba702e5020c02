#include "monitor/frmmonitor.h"

#include "board/boardmirror.h"
#include "engine/boardengine.h"
#include "engine/conversation.h"
#include "engine/tracetext.h"
#include "monitor/conversationmodel.h"
#include "monitor/eventscreenpanel.h"
#include "monitor/frmtrace.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr QSize StartSize(580, 330);
constexpr int DumpBytesPerLine = 16;

// The bytes as offset, hex and characters, sixteen a line.
QString hexDump(QByteArrayView bytes) {
    QString dump;
    for (qsizetype offset = 0; offset < bytes.size(); offset += DumpBytesPerLine) {
        const QByteArrayView line =
            bytes.sliced(offset, std::min<qsizetype>(DumpBytesPerLine, bytes.size() - offset));
        QString characters;
        for (const char c : line)
            characters += (c >= 32 && c < 127) ? QLatin1Char(c) : QLatin1Char('.');
        dump += QStringLiteral("%1  %2  %3\n")
                    .arg(offset, 5, 10, QLatin1Char('0'))
                    .arg(TraceText::fullHex(line), -(3 * DumpBytesPerLine - 1))
                    .arg(characters);
    }
    return dump;
}

// "1 event", "3 events".
QString counted(qint64 count, const QString& one, const QString& many) {
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
}

bool isCsv(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
}

} // namespace

frmMonitor::frmMonitor(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench) {
    setWindowTitle(tr(" Monitor "));
    BoardEngine& engine = workbench.engine();
    m_model = new ConversationModel(engine.conversation(), engine.clock(), this);

    cmdPause = named(new QPushButton(tr("Pause"), this), "cmdPause");
    cmdPause->setCheckable(true);
    cmdClear = named(new QPushButton(tr("Clear"), this), "cmdClear");
    cmdSave = named(new QPushButton(tr("Save..."), this), "cmdSave");
    cmdOpen = named(new QPushButton(tr("Open..."), this), "cmdOpen");
    cmdOpen->setToolTip(tr("Open a saved trace, read only, with the screen after each row"));
    chkCommands = named(new QCheckBox(tr("Commands"), this), "chkCommands");
    chkAnswers = named(new QCheckBox(tr("Answers"), this), "chkAnswers");
    chkUploadBlocks = named(new QCheckBox(tr("Upload blocks"), this), "chkUploadBlocks");
    chkUploadBlocks->setToolTip(tr("Show each block of an upload and its answer, not only the "
                                   "upload's summary"));
    chkFollow = named(new QCheckBox(tr("Follow newest"), this), "chkFollow");
    const ConversationModel::Filter filter = m_model->filter();
    chkCommands->setChecked(filter.commands);
    chkAnswers->setChecked(filter.answers);
    chkUploadBlocks->setChecked(filter.uploadBlocks);
    chkFollow->setChecked(true);

    tblConversation = named(new QTableView(this), "tblConversation");
    tblConversation->setModel(m_model);
    tblConversation->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblConversation->setSelectionMode(QAbstractItemView::SingleSelection);
    tblConversation->setWordWrap(false);
    tblConversation->setAlternatingRowColors(true);
    tblConversation->verticalHeader()->hide();
    // Rows of one height: a table of many thousand rows scrolls without measuring them.
    tblConversation->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblConversation->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The meaning takes what the other columns leave; the bytes show their start (all of
    // it in the tool tip and below the table).
    QHeaderView* columns = tblConversation->horizontalHeader();
    const QFontMetrics metrics = fontMetrics();
    const auto width = [&metrics](const char* sample) {
        return metrics.horizontalAdvance(QLatin1String(sample)) + 12;
    };
    columns->resizeSection(ConversationModel::TimeColumn, width("0000.000000"));
    columns->resizeSection(ConversationModel::DirectionColumn, width("from board"));
    columns->resizeSection(ConversationModel::LatencyColumn, width("0000.000 ms"));
    columns->resizeSection(ConversationModel::BytesColumn, width("57 53 00 01 02 03 04 05 ..."));
    columns->setSectionResizeMode(ConversationModel::MeaningColumn, QHeaderView::Stretch);
    columns->setMinimumSectionSize(width("Time"));

    txtDetails = named(new QPlainTextEdit(this), "txtDetails");
    txtDetails->setReadOnly(true);
    txtDetails->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtDetails->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtDetails->setPlaceholderText(tr("Select a row to see all of its bytes."));

    lblCounts = named(new QLabel(this), "lblCounts");

    auto* controls = new QHBoxLayout;
    controls->addWidget(cmdPause);
    controls->addWidget(cmdClear);
    controls->addSpacing(8);
    controls->addWidget(chkCommands);
    controls->addWidget(chkAnswers);
    controls->addWidget(chkUploadBlocks);
    controls->addWidget(chkFollow);
    controls->addStretch();
    controls->addWidget(cmdOpen);
    controls->addWidget(cmdSave);

    auto* splitter = named(new QSplitter(Qt::Vertical, this), "splitter");
    splitter->addWidget(tblConversation);
    m_screen = new EventScreenPanel(BoardMirror::attachedTo(engine), workbench.dialogs(), this);
    auto* details = new QWidget(this);
    auto* detailsLayout = new QHBoxLayout(details);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(txtDetails, 1);
    detailsLayout->addWidget(m_screen);
    splitter->addWidget(details);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    layout->addWidget(lblCounts);
    resize(StartSize);

    connect(cmdPause, &QPushButton::toggled, this, &frmMonitor::cmdPause_Click);
    connect(cmdClear, &QPushButton::clicked, this, &frmMonitor::cmdClear_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMonitor::cmdSave_Click);
    connect(cmdOpen, &QPushButton::clicked, this, &frmMonitor::cmdOpen_Click);
    for (QCheckBox* box : {chkCommands, chkAnswers, chkUploadBlocks})
        connect(box, &QCheckBox::toggled, this, &frmMonitor::applyFilter);
    connect(chkFollow, &QCheckBox::toggled, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::rowsAppended, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::modelReset, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::countsChanged, this, &frmMonitor::showCounts);
    connect(tblConversation->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmMonitor::showDetails);
    showCounts();
    followNewest();
}

void frmMonitor::cmdPause_Click(bool paused) {
    cmdPause->setText(paused ? tr("Resume") : tr("Pause"));
    m_model->setPaused(paused);
}

void frmMonitor::cmdClear_Click() {
    m_workbench.engine().conversation().clear();
    txtDetails->clear();
}

void frmMonitor::applyFilter() {
    m_model->setFilter(
        {chkCommands->isChecked(), chkAnswers->isChecked(), chkUploadBlocks->isChecked()});
}

void frmMonitor::followNewest() {
    if (chkFollow->isChecked())
        tblConversation->scrollToBottom();
}

void frmMonitor::showCounts() {
    const qint64 recorded = m_model->recorded();
    QString text = tr("%1 recorded").arg(counted(recorded, tr("event"), tr("events")));
    if (m_model->rowCount() != recorded)
        text += tr(", %1 shown").arg(m_model->rowCount());
    if (m_model->paused() && m_model->waiting() > 0)
        text += tr("; paused: %1 not shown")
                    .arg(counted(m_model->waiting(), tr("new event"), tr("new events")));
    lblCounts->setText(text);
}

void frmMonitor::showDetails() {
    const QModelIndex current = tblConversation->currentIndex();
    if (!current.isValid()) {
        txtDetails->clear();
        m_screen->showScreenAfter(std::nullopt);
        return;
    }
    m_screen->showScreenAfter(m_model->eventNumber(current.row()));
    const ConversationEvent& event = m_model->event(current.row());
    QString text = TraceText::line(event) + QLatin1Char('\n');
    if (event.kind == ConversationEvent::Kind::ToBoard ||
        event.kind == ConversationEvent::Kind::FromBoard) {
        text += counted(event.byteCount, tr("byte"), tr("bytes"));
        if (event.writes > 0)
            text += tr(" in %1").arg(counted(event.writes, tr("write"), tr("writes")));
        if (!event.allBytesKept())
            text += tr("; only the first %1 are kept for older events").arg(event.bytes().size());
        text += QLatin1Char('\n') + hexDump(event.bytes());
    }
    txtDetails->setPlainText(text);
}

void frmMonitor::cmdOpen_Click() {
    frmTrace::open(m_workbench, this);
}

void frmMonitor::cmdSave_Click() {
    const QString path = m_workbench.dialogs().saveFileName(
        this, tr("Trace Files(*.txt)|*.txt|CSV Files(*.csv)|*.csv|"),
        QDir::home().filePath(QStringLiteral("board-conversation.txt")));
    if (path.isEmpty())
        return;
    QString error;
    if (!save(path, &error))
        m_workbench.dialogs().message(
            this, tr("Warning"),
            tr("Not saved: %1 (%2)").arg(QDir::toNativeSeparators(path), error),
            UserDialogs::Icon::Warning);
}

bool frmMonitor::save(const QString& path, QString* error) const {
    // The rows as shown: what the filter leaves, up to where a pause stopped them. A
    // trace also holds every command the filter hides, to be played again.
    const bool csv = isCsv(path);
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written && csv)
        written = file.write(TraceText::csvHeader().toUtf8() + '\n') > 0;
    const Conversation& conversation = m_workbench.engine().conversation();
    const quint64 last = m_model->rowCount() > 0 ? m_model->eventNumber(m_model->rowCount() - 1) + 1
                                                 : conversation.first();
    int row = 0;
    for (quint64 number = conversation.first(); written && number < last; ++number) {
        const bool shown = row < m_model->rowCount() && m_model->eventNumber(row) == number;
        row += shown ? 1 : 0;
        const ConversationEvent& event = conversation.at(number);
        if (!shown && (csv || event.kind != ConversationEvent::Kind::ToBoard))
            continue;
        const QByteArray lines =
            (csv ? TraceText::csvLine(event) : TraceText::lines(event).join(QLatin1Char('\n')))
                .toUtf8() +
            '\n';
        written = file.write(lines) == lines.size();
    }
    if (!written || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
