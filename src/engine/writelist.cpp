#include "engine/writelist.h"

#include <algorithm>

WriteList::WriteList(std::initializer_list<QByteArrayView> writes) {
    for (QByteArrayView write : writes)
        append(write);
}

void WriteList::append(QByteArrayView write) {
    m_bytes.append(write);
    m_ends.push_back(m_bytes.size());
}

void WriteList::append(const WriteList& writes) {
    for (qsizetype i = 0; i < writes.count(); ++i)
        append(writes.at(i));
}

void WriteList::appendEachByte(QByteArrayView bytes) {
    m_ends.reserve(m_ends.size() + size_t(bytes.size()));
    for (char byte : bytes) {
        m_bytes.append(byte);
        m_ends.push_back(m_bytes.size());
    }
}

QByteArrayView WriteList::at(qsizetype index) const {
    const qsizetype begin = index == 0 ? 0 : m_ends[size_t(index - 1)];
    return QByteArrayView(m_bytes).sliced(begin, m_ends[size_t(index)] - begin);
}

WriteList WriteList::mid(qsizetype first, qsizetype count) const {
    WriteList part;
    const qsizetype end = std::min(first + count, this->count());
    for (qsizetype i = std::max<qsizetype>(first, 0); i < end; ++i)
        part.append(at(i));
    return part;
}

QList<QByteArray> WriteList::toList() const {
    QList<QByteArray> writes;
    writes.reserve(count());
    for (qsizetype i = 0; i < count(); ++i)
        writes.append(at(i).toByteArray());
    return writes;
}

bool WriteList::operator==(const WriteList& other) const {
    return m_bytes == other.m_bytes && m_ends == other.m_ends;
}
