#pragma once

#include <QAbstractTableModel>

#include <deque>
#include <vector>

class Clock;
class Conversation;
struct ConversationEvent;

// The conversation with the board as table rows: time, direction, meaning, latency and
// bytes. New events join in batches (one every BatchMs at most), so a running upload
// costs the view a few rows at a time, not an update per block. Rows follow the ring:
// events it forgets leave the table too.
class ConversationModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, MeaningColumn, LatencyColumn, BytesColumn };
    static constexpr int ColumnCount = 5;
    static constexpr int BatchMs = 80;

    // Which events show. Notes about the line and upload summaries always do.
    struct Filter {
        bool commands = true;
        bool answers = true;
        // An upload's blocks and their answers, besides its summary.
        bool uploadBlocks = false;
        bool operator==(const Filter& other) const {
            return commands == other.commands && answers == other.answers &&
                   uploadBlocks == other.uploadBlocks;
        }
    };

    ConversationModel(Conversation& conversation, Clock& clock, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const ConversationEvent& event(int row) const;
    // The conversation's number of the row's event.
    quint64 eventNumber(int row) const { return m_rows[size_t(row)]; }

    Filter filter() const { return m_filter; }
    void setFilter(const Filter& filter);
    // While paused the rows stay as they are (except those the ring forgets).
    bool paused() const { return m_paused; }
    void setPaused(bool paused);
    // Events recorded that the rows do not show yet (while paused, or before the batch).
    qint64 waiting() const;
    qint64 recorded() const;
    // Takes the events recorded since the last batch now.
    void sync();

Q_SIGNALS:
    // A batch of rows joined the end of the table.
    void rowsAppended();
    // The counts of recorded, shown or waiting events changed.
    void countsChanged();

private:
    bool shows(const ConversationEvent& event) const;
    void scheduleSync();
    void dropForgotten();
    // The numbers of the events from m_synced up to upTo that the filter shows.
    std::vector<quint64> takeShown(quint64 upTo);
    void reset();

    Conversation& m_conversation;
    Clock& m_clock;
    Filter m_filter;
    bool m_paused = false;
    bool m_syncScheduled = false;
    // The event numbers of the rows, ascending.
    std::deque<quint64> m_rows;
    // Events before this number have been considered for the rows.
    quint64 m_synced = 0;
};
