#pragma once
// IndexedDocumentSearch: the launcher's view of the companion indexer's
// database (~/.pelmora/index.db) — name, tag and full-text search with
// snippets, and the open counter written back on activation.

#include "db/SqliteDatabase.h"
#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/model/SearchTicket.h"
#include "launcher/engine/usage/UsageKeyProvider.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

// The full-text query for a raw query: the trimmed text as a phrase whose last
// word matches as a prefix ("\"text\"*"), or nothing when the text is empty or
// holds anything but letters, digits, marks, spaces and tabs.
std::optional<QString> indexedFTSQuery(const QString& query);

class IndexedDocumentSearch {
public:
    using DiagnosticSink = std::function<void(const QString& line)>;
    using UsageKeyProvider = trovi::UsageKeyProvider;
    using LearnedCountProvider = trovi::LearnedCountProvider;

    // Opens the database once, read-write, creating the file when its folder
    // exists (tables are the indexer's business and are never created). On
    // failure the sink gets one line and the object stays inert.
    IndexedDocumentSearch(const QString& databasePath, DiagnosticSink sink);

    static QString defaultDatabasePath(const QString& homeDirectory);

    bool isOpen() const { return m_connection.isOpen(); }

    // Files whose name or tag contains the query (by open count), then files
    // matched only by content (in full-text rank order); at most 250 of each.
    // Any database failure yields an empty list and one diagnostic line. A
    // superseded ticket stops the statements early and yields an empty list
    // without a diagnostic.
    QList<SearchResult> search(const QString& query, const UsageKeyProvider& usageKeyFor,
                               const LearnedCountProvider& learnedCount,
                               const SearchTicket& ticket = {});

    // True when the update ran (also when no row has that id); callers
    // invalidate cached results only then.
    bool incrementOpenCount(std::int64_t id);

private:
    void report(const QString& line) const;

    db::Connection m_connection;
    DiagnosticSink m_sink;
};

} // namespace trovi
