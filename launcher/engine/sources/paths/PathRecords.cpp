#include "launcher/engine/sources/paths/PathRecords.h"

namespace trovi {

namespace {

bool onlyNameAndFolder(const SearchResult& r) {
    return r.openCount == 0 && !r.snippet && !r.givenDatabaseID && !r.action &&
           !r.actionURLString && !r.fallbackActionURLString && !r.isDirectPathMatch &&
           !r.usageKey && !r.isRecentActivation && !r.relevanceScore && !r.title && !r.keywords &&
           !r.iconName && !r.description;
}

} // namespace

PathRecords::PathRecords(QList<SearchResult> results) {
    m_records.reserve(std::size_t(results.size()));
    for (SearchResult& result : results)
        append(std::move(result));
}

void PathRecords::append(std::int64_t id, SearchResultKind kind, QString filename,
                         QString directory) {
    m_records.push_back({id, std::move(filename), std::move(directory), -1, kind});
}

void PathRecords::append(SearchResult result) {
    if (onlyNameAndFolder(result)) {
        append(result.id, result.kind, std::move(result.filename), std::move(result.directory));
        return;
    }
    m_records.push_back({result.id, {}, {}, std::int32_t(m_whole.size()), result.kind});
    m_whole.append(std::move(result));
}

SearchResult PathRecords::at(qsizetype i) const {
    const Record& record = m_records[std::size_t(i)];
    if (record.whole >= 0)
        return m_whole[record.whole];
    SearchResult result;
    result.id = record.id;
    result.kind = record.kind;
    result.filename = record.filename;
    result.directory = record.directory;
    return result;
}

const QString& PathRecords::displayName(qsizetype i) const {
    const Record& record = m_records[std::size_t(i)];
    return record.whole >= 0 ? m_whole[record.whole].displayName() : record.filename;
}

QList<SearchResult> PathRecords::toList() const {
    QList<SearchResult> results;
    results.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        results.append(at(i));
    return results;
}

} // namespace trovi
