#pragma once
// Result rows as the sources build them, and the titles of a list in order:
// the shortest way to set up and assert an order.

#include "launcher/engine/model/SearchResult.h"

#include <QList>
#include <QStringList>

namespace trovi::test {

inline SearchResult pathResult(SearchResultKind kind, const QString& directory,
                               const QString& filename, std::int64_t openCount = 0) {
    SearchResult r;
    r.kind = kind;
    r.directory = directory;
    r.filename = filename;
    r.openCount = openCount;
    r.id = stableNegativeID(directory + u'/' + filename);
    return r;
}

inline SearchResult actionResult(std::optional<SearchResultAction> action,
                                 std::optional<QString> url = {}, const QString& title = "Action",
                                 const QString& subtitle = "Action") {
    SearchResult r = pathResult(SearchResultKind::action, subtitle, title);
    r.action = action;
    r.actionURLString = std::move(url);
    return r;
}

inline QStringList names(const QList<SearchResult>& results) {
    QStringList list;
    for (const SearchResult& r : results)
        list.append(r.filename);
    return list;
}

} // namespace trovi::test
