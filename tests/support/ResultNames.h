#pragma once
// The titles of a result list, in order: the shortest way to assert an order.

#include "launcher/engine/model/SearchResult.h"

#include <QList>
#include <QStringList>

namespace trovi::test {

inline QStringList names(const QList<SearchResult>& results) {
    QStringList list;
    for (const SearchResult& r : results)
        list.append(r.filename);
    return list;
}

} // namespace trovi::test
