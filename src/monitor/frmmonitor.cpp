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
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The rows in view at first, above the selected row's bytes and screen.
constexpr int StartRows = 10;
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
    m_model = new ConversationModel(engine.conversation(), workbench.clock(), this);

    m_pauseButton = named(new QPushButton(tr("Pause"), this), "cmdPause");
    m_pauseButton->setCheckable(true);
    m_clearButton = named(new QPushButton(tr("Clear"), this), "cmdClear");
    m_openButton = named(new QPushButton(tr("Open..."), this), "cmdOpen");
    m_openButton->setToolTip(tr("Open a saved trace, read only, with the screen after each row"));
    m_saveButton = named(new QPushButton(tr("Save..."), this), "cmdSave");
    m_commandsCheck = named(new QCheckBox(tr("Commands"), this), "chkCommands");
    m_answersCheck = named(new QCheckBox(tr("Answers"), this), "chkAnswers");
    m_uploadBlocksCheck = named(new QCheckBox(tr("Upload blocks"), this), "chkUploadBlocks");
    m_uploadBlocksCheck->setToolTip(tr("Show each block of an upload and its answer, not only the "
                                       "upload's summary"));
    m_followCheck = named(new QCheckBox(tr("Follow newest"), this), "chkFollow");
    const ConversationModel::Filter filter = m_model->filter();
    m_commandsCheck->setChecked(filter.commands);
    m_answersCheck->setChecked(filter.answers);
    m_uploadBlocksCheck->setChecked(filter.uploadBlocks);
    m_followCheck->setChecked(true);

    m_table = named(new QTableView(this), "tblConversation");
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(false);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    // Rows of one height: a table of many thousand rows scrolls without measuring them.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    // The meaning takes what the other columns leave; the bytes show their start (all of
    // it in the tool tip and below the table).
    QHeaderView* columns = m_table->horizontalHeader();
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

    m_detailsBox = named(new QPlainTextEdit(this), "txtDetails");
    m_detailsBox->setReadOnly(true);
    m_detailsBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_detailsBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_detailsBox->setPlaceholderText(tr("Select a row to see all of its bytes."));

    m_countsLabel = named(new QLabel(this), "lblCounts");

    // Two short rows: the window fits beside the main window on a small screen.
    auto* controls = new QHBoxLayout;
    controls->addWidget(m_pauseButton);
    controls->addWidget(m_clearButton);
    controls->addStretch();
    controls->addWidget(m_openButton);
    controls->addWidget(m_saveButton);
    auto* filters = new QHBoxLayout;
    filters->addWidget(m_commandsCheck);
    filters->addWidget(m_answersCheck);
    filters->addWidget(m_uploadBlocksCheck);
    filters->addWidget(m_followCheck);
    filters->addStretch();

    auto* splitter = named(new QSplitter(Qt::Vertical, this), "splitter");
    splitter->addWidget(m_table);
    m_screen = new EventScreenPanel(BoardMirror::attachedTo(engine), workbench.dialogs(), this);
    auto* details = new QWidget(this);
    auto* detailsLayout = new QHBoxLayout(details);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(m_detailsBox, 1);
    detailsLayout->addWidget(m_screen);
    splitter->addWidget(details);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(filters);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_countsLabel);
    // Wide enough for every column's content and a meaning of some length beside them.
    int columnsWidth = width("Font upload slot=1: 4,838 bytes") + 2 * m_table->frameWidth() +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const int column : {ConversationModel::TimeColumn, ConversationModel::DirectionColumn,
                             ConversationModel::LatencyColumn, ConversationModel::BytesColumn})
        columnsWidth += columns->sectionSize(column);
    const QMargins margins = layout->contentsMargins();
    const int rowsHeight = StartRows * m_table->verticalHeader()->defaultSectionSize() +
                           m_table->horizontalHeader()->sizeHint().height() +
                           2 * m_table->frameWidth();
    m_naturalSize = QSize(std::max(columnsWidth, filters->sizeHint().width()) + margins.left() +
                              margins.right(),
                          layout->minimumSize().height() - m_table->minimumSizeHint().height() +
                              rowsHeight);
    resize(m_naturalSize);

    connect(m_pauseButton, &QPushButton::toggled, this, &frmMonitor::pauseOrResume);
    connect(m_clearButton, &QPushButton::clicked, this, &frmMonitor::clearConversation);
    connect(m_saveButton, &QPushButton::clicked, this, &frmMonitor::saveConversation);
    connect(m_openButton, &QPushButton::clicked, this, &frmMonitor::openTrace);
    for (QCheckBox* box : {m_commandsCheck, m_answersCheck, m_uploadBlocksCheck})
        connect(box, &QCheckBox::toggled, this, &frmMonitor::applyFilter);
    connect(m_followCheck, &QCheckBox::toggled, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::rowsAppended, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::modelReset, this, &frmMonitor::followNewest);
    connect(m_model, &ConversationModel::countsChanged, this, &frmMonitor::showCounts);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &frmMonitor::showDetails);
    showCounts();
    followNewest();
}

void frmMonitor::pauseOrResume(bool paused) {
    m_pauseButton->setText(paused ? tr("Resume") : tr("Pause"));
    m_model->setPaused(paused);
}

void frmMonitor::clearConversation() {
    m_workbench.engine().conversation().clear();
    m_detailsBox->clear();
}

void frmMonitor::applyFilter() {
    m_model->setFilter({m_commandsCheck->isChecked(), m_answersCheck->isChecked(),
                        m_uploadBlocksCheck->isChecked()});
}

void frmMonitor::followNewest() {
    if (m_followCheck->isChecked())
        m_table->scrollToBottom();
}

void frmMonitor::showCounts() {
    const qint64 recorded = m_model->recorded();
    QString text = tr("%1 recorded").arg(counted(recorded, tr("event"), tr("events")));
    if (m_model->rowCount() != recorded)
        text += tr(", %1 shown").arg(m_model->rowCount());
    if (m_model->paused() && m_model->waiting() > 0)
        text += tr("; paused: %1 not shown")
                    .arg(counted(m_model->waiting(), tr("new event"), tr("new events")));
    m_countsLabel->setText(text);
}

void frmMonitor::showDetails() {
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid()) {
        m_detailsBox->clear();
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
    m_detailsBox->setPlainText(text);
}

void frmMonitor::openTrace() {
    frmTrace::open(m_workbench, this);
}

void frmMonitor::saveConversation() {
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
