#include "monitor/conversationmodel.h"

#include "engine/clock.h"
#include "engine/conversation.h"
#include "engine/tracetext.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <algorithm>

ConversationModel::ConversationModel(Conversation& conversation, Clock& clock, QObject* parent)
    : QAbstractTableModel(parent)
    , m_conversation(conversation)
    , m_clock(clock) {
    connect(&conversation, &Conversation::recorded, this, [this] {
        // Rows never point at events the ring has forgotten, not even until the batch.
        dropForgotten();
        scheduleSync();
    });
    connect(&conversation, &Conversation::cleared, this, &ConversationModel::reset);
    reset();
}

int ConversationModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ConversationModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const ConversationEvent& ConversationModel::event(int row) const {
    return m_conversation.at(m_rows[size_t(row)]);
}

QVariant ConversationModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ConversationEvent& shown = event(index.row());
    using Kind = ConversationEvent::Kind;
    switch (role) {
    case Qt::DisplayRole:
        switch (Column(index.column())) {
        case TimeColumn:
            return TraceText::seconds(shown.microseconds);
        case DirectionColumn:
            return TraceText::direction(shown.kind);
        case MeaningColumn:
            return shown.meaning();
        case LatencyColumn:
            return shown.latencyMicroseconds >= 0 ? TraceText::latency(shown.latencyMicroseconds)
                                                  : QString();
        case BytesColumn:
            if (shown.kind == Kind::ToBoard || shown.kind == Kind::FromBoard)
                return TraceText::hex(shown.bytes(), shown.byteCount);
            return QString();
        }
        break;
    case Qt::ToolTipRole:
        if (index.column() == MeaningColumn || index.column() == BytesColumn)
            return index.data(Qt::DisplayRole);
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == TimeColumn || index.column() == LatencyColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case Qt::ForegroundRole:
        // Commands in blue, answers in green: the two sides of the line at a glance.
        if (shown.kind == Kind::ToBoard)
            return QBrush(QColor(0x1f, 0x4e, 0x9c));
        if (shown.kind == Kind::FromBoard)
            return QBrush(QColor(0x1e, 0x7a, 0x34));
        if (shown.kind == Kind::Note)
            return QBrush(QColor(0x6b, 0x6b, 0x6b));
        break;
    case Qt::FontRole:
        if (shown.kind == Kind::Upload) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        break;
    default:
        break;
    }
    return {};
}

QVariant ConversationModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (Column(section)) {
    case TimeColumn:
        return tr("Time (s)");
    case DirectionColumn:
        return tr("Direction");
    case MeaningColumn:
        return tr("Meaning");
    case LatencyColumn:
        return tr("Latency");
    case BytesColumn:
        return tr("Bytes");
    }
    return {};
}

bool ConversationModel::shows(const ConversationEvent& event) const {
    using Kind = ConversationEvent::Kind;
    if (event.upload != 0 && !m_filter.uploadBlocks && event.kind != Kind::Upload)
        return false;
    if (event.kind == Kind::ToBoard)
        return m_filter.commands;
    if (event.kind == Kind::FromBoard)
        return m_filter.answers;
    return true;
}

void ConversationModel::setFilter(const Filter& filter) {
    if (filter == m_filter)
        return;
    m_filter = filter;
    reset();
}

void ConversationModel::setPaused(bool paused) {
    m_paused = paused;
    if (!paused)
        sync();
    Q_EMIT countsChanged();
}

qint64 ConversationModel::recorded() const {
    return m_conversation.size();
}

qint64 ConversationModel::waiting() const {
    return qint64(m_conversation.end() - std::max(m_synced, m_conversation.first()));
}

void ConversationModel::scheduleSync() {
    if (m_syncScheduled)
        return;
    m_syncScheduled = true;
    m_clock.callAfter(BatchMs, this, [this] {
        m_syncScheduled = false;
        sync();
    });
}

void ConversationModel::dropForgotten() {
    if (m_rows.empty() || m_rows.front() >= m_conversation.first())
        return;
    const auto kept = std::lower_bound(m_rows.begin(), m_rows.end(), m_conversation.first());
    const int forgotten = int(kept - m_rows.begin());
    if (forgotten == 0)
        return;
    beginRemoveRows({}, 0, forgotten - 1);
    m_rows.erase(m_rows.begin(), kept);
    endRemoveRows();
}

std::vector<quint64> ConversationModel::takeShown(quint64 upTo) {
    std::vector<quint64> shown;
    for (quint64 number = std::max(m_synced, m_conversation.first()); number < upTo; ++number) {
        if (shows(m_conversation.at(number)))
            shown.push_back(number);
    }
    m_synced = upTo;
    return shown;
}

void ConversationModel::sync() {
    dropForgotten();
    if (!m_paused) {
        const std::vector<quint64> fresh = takeShown(m_conversation.end());
        if (!fresh.empty()) {
            const int first = int(m_rows.size());
            beginInsertRows({}, first, first + int(fresh.size()) - 1);
            m_rows.insert(m_rows.end(), fresh.begin(), fresh.end());
            endInsertRows();
            Q_EMIT rowsAppended();
        }
    }
    Q_EMIT countsChanged();
}

void ConversationModel::reset() {
    // Paused, the rows go as far as they went; otherwise up to the newest event.
    const quint64 upTo =
        m_paused ? std::max(m_synced, m_conversation.first()) : m_conversation.end();
    beginResetModel();
    m_synced = m_conversation.first();
    const std::vector<quint64> shown = takeShown(upTo);
    m_rows.assign(shown.begin(), shown.end());
    endResetModel();
    Q_EMIT countsChanged();
}
