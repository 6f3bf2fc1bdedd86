#pragma once
// PathRecords: what a catalogue walk found, kept compactly until the catalogue
// index is built. Almost every walked entry is only an id, a kind, a name and
// a folder: those take about a sixth of a whole SearchResult (the folder text
// is shared with the walk's), which is what a first walk of a large home peaks
// on. Anything more is kept whole.

#include "launcher/engine/model/SearchResult.h"

#include <QList>

#include <cstdint>
#include <vector>

namespace trovi {

class PathRecords {
public:
    PathRecords() = default;
    explicit PathRecords(QList<SearchResult> results);

    void append(std::int64_t id, SearchResultKind kind, QString filename, QString directory);
    void append(SearchResult result);

    qsizetype size() const { return qsizetype(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    // Record i as a whole result (its texts shared, not copied).
    SearchResult at(qsizetype i) const;
    const QString& displayName(qsizetype i) const;
    QList<SearchResult> toList() const;

private:
    struct Record {
        std::int64_t id;
        QString filename;
        QString directory;
        std::int32_t whole; // index into m_whole, or -1
        SearchResultKind kind;
    };
    std::vector<Record> m_records;
    QList<SearchResult> m_whole;
};

} // namespace trovi
