#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <initializer_list>
#include <vector>

// The writes that make up a command, in order. The board protocol fixes not only
// the bytes but also how they are grouped into separate writes, so a command is a
// list of writes rather than one byte string. The list is held flat: a picture's
// 76800 one-byte writes are one buffer, not 76800 allocations.
class WriteList {
public:
    WriteList() = default;
    WriteList(std::initializer_list<QByteArrayView> writes);

    void append(QByteArrayView write);
    void append(const WriteList& writes);
    // Each byte of the given bytes as a write of its own.
    void appendEachByte(QByteArrayView bytes);

    qsizetype count() const { return qsizetype(m_ends.size()); }
    bool isEmpty() const { return m_ends.empty(); }
    QByteArrayView at(qsizetype index) const;
    // The writes [first, first + count), clamped to the list.
    WriteList mid(qsizetype first, qsizetype count) const;

    const QByteArray& bytes() const { return m_bytes; }
    QList<QByteArray> toList() const;

    bool operator==(const WriteList& other) const;
    bool operator!=(const WriteList& other) const { return !(*this == other); }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_ends; // end offset of each write in m_bytes
};
