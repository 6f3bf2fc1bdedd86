#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace trovi {

namespace {

// Each listing (by name or tag, by content) is limited to this many rows.
constexpr int kRowLimit = 250;

// While the indexer commits, a search waits only a moment (typing must not
// stall); a count update waits longer and is retried once, so it is not lost.
// A search waits out another process's short write (an open count) but stops
// waiting the moment a newer search is asked for, so typing never stalls.
constexpr int kSearchBusyMilliseconds = 2000;
constexpr int kUpdateBusyMilliseconds = 1000;

// Query text is matched literally: "%" and "_" are escaped for LIKE ... ESCAPE '\'.
QString likeContainsPattern(const QString& query) {
    QString escaped = query.toLower();
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'%', QStringLiteral("\\%"));
    escaped.replace(u'_', QStringLiteral("\\_"));
    return u'%' + escaped + u'%';
}

// Files whose name contains the pattern (?1) come first, then files found only
// through a tag; open count, then index time, then id break ties.
const QString& nameAndTagSQL() {
    static const QString sql =
        QStringLiteral("SELECT f.id, f.filename, f.directory, f.open_count, NULL AS snippet "
                       "FROM files f "
                       "WHERE f.filename LIKE ?1 ESCAPE '\\' "
                       "OR f.id IN (SELECT file_id FROM file_tags WHERE tag LIKE ?1 ESCAPE '\\') "
                       "ORDER BY (CASE WHEN f.filename LIKE ?1 ESCAPE '\\' THEN 1 ELSE 0 END) "
                       "DESC, f.open_count DESC, f.indexed_at DESC, f.id "
                       "LIMIT %1")
            .arg(kRowLimit);
    return sql;
}

// Full-text matches (?2) whose name contains the pattern (?1) or not (?3), by
// rank, at most ?4 of them. Run once per group, so the rank and the snippet
// are computed only for the rows of the group the listing reaches: when 250
// files match by name, the content-only matches (often most of the index)
// are never ranked.
const QString& fullTextSQL() {
    static const QString sql =
        QStringLiteral("SELECT f.id, f.filename, f.directory, f.open_count, "
                       "snippet(files_fts, -1, '<mark>', '</mark>', '...', 24) AS snippet "
                       "FROM files_fts JOIN files f ON f.id = files_fts.rowid "
                       "WHERE files_fts MATCH ?2 "
                       "AND (CASE WHEN f.filename LIKE ?1 ESCAPE '\\' THEN 1 ELSE 0 END) = ?3 "
                       "ORDER BY files_fts.rank, f.open_count DESC, f.indexed_at DESC, f.id "
                       "LIMIT ?4");
    return sql;
}

// Letters, marks and numbers count as alphanumerics; space separators and tab
// as blanks. Everything else (punctuation, symbols, quotes, controls) would
// need escaping in an FTS5 query, so such queries skip the full-text search.
bool isPlainQueryCharacter(char32_t c) {
    if (c == U'\t')
        return true;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Separator_Space:
        return true;
    default:
        return false;
    }
}

struct OrderedRow {
    db::Row row;
    int order = 0;
};

// Every row of one statement; at most kRowLimit, so collecting them first is
// cheap.
db::SqlResult<std::vector<db::Row>> allRows(db::Connection& connection, const QString& sql,
                                            const std::vector<db::Binding>& bindings) {
    auto statement = connection.prepare(sql, bindings);
    if (!statement)
        return statement.error();
    return statement->all();
}

std::int64_t rowID(const db::Row& row) {
    return row.integer(0).value_or(0);
}

SearchResult resultFromRow(const db::Row& row,
                           const IndexedDocumentSearch::UsageKeyProvider& usageKeyFor,
                           const IndexedDocumentSearch::LearnedCountProvider& learnedCount) {
    SearchResult result;
    result.id = rowID(row);
    result.filename = row.text(1).value_or(QString());
    result.directory = row.text(2).value_or(QString());
    result.snippet = row.text(4);
    result.givenDatabaseID = result.id;
    result.kind = result.filename.endsWith(QStringLiteral(".app"), Qt::CaseSensitive)
                      ? SearchResultKind::app
                      : SearchResultKind::file;

    const QString fullPath = joinPath(result.directory, result.filename);
    if (usageKeyFor)
        result.usageKey = usageKeyFor(fullPath, result.filename);
    const std::int64_t learned =
        learnedCount ? learnedCount((result.usageKey ? *result.usageKey : fullPath).toLower()) : 0;
    result.openCount = std::max(row.integer(3).value_or(0), learned);
    return result;
}

} // namespace

std::optional<QString> indexedFTSQuery(const QString& query) {
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Lone surrogates are refused too (category Other_Surrogate or U+FFFD).
    const QList<uint> scalars = trimmed.toUcs4();
    for (const uint scalar : scalars)
        if (!isPlainQueryCharacter(char32_t(scalar)))
            return std::nullopt;
    return QStringLiteral("\"") + trimmed + QStringLiteral("\"*");
}

IndexedDocumentSearch::IndexedDocumentSearch(const QString& databasePath, DiagnosticSink sink)
    : m_sink(std::move(sink)) {
    auto opened =
        db::Connection::open(databasePath, db::ReadWrite | db::Create | db::Uri | db::FullMutex);
    if (opened)
        m_connection = std::move(opened.value());
    else
        report(QStringLiteral("Failed to open database: ") + opened.error().description());
}

QString IndexedDocumentSearch::defaultDatabasePath(const QString& homeDirectory) {
    return joinPath(homeDirectory, QStringLiteral(".pelmora/index.db"));
}

void IndexedDocumentSearch::report(const QString& line) const {
    if (m_sink) {
        m_sink(line);
        return;
    }
    const QByteArray bytes = QString(line + u'\n').toLocal8Bit();
    std::fputs(bytes.constData(), stderr);
}

QList<SearchResult> IndexedDocumentSearch::search(const QString& query,
                                                  const UsageKeyProvider& usageKeyFor,
                                                  const LearnedCountProvider& learnedCount,
                                                  const SearchTicket& ticket) {
    if (!isOpen() || ticket.isSuperseded())
        return {};
    // A newer search is waiting behind this one: stop within a few thousand
    // steps instead of finishing a full-text scan nobody will see.
    const auto interruptGuard = m_connection.interruptWhen(
        [&ticket] { return ticket.isSuperseded(); }, 1000, kSearchBusyMilliseconds);

    // Deliberately untrimmed: a blank query still lists files by name.
    const QString pattern = likeContainsPattern(query);

    QHash<std::int64_t, OrderedRow> rowsByID;
    int nextOrder = 0;

    auto fail = [this, &ticket](const db::SqliteError& error) {
        if (!error.isInterruption() && !ticket.isSuperseded())
            report(QStringLiteral("Search query failed: ") + error.description());
        return QList<SearchResult>();
    };

    auto nameAndTagRows = allRows(m_connection, nameAndTagSQL(), {pattern});
    if (!nameAndTagRows)
        return fail(nameAndTagRows.error());
    for (db::Row& row : nameAndTagRows.value()) {
        const std::int64_t id = rowID(row);
        rowsByID.insert(id, OrderedRow{std::move(row), nextOrder++});
    }

    if (const auto ftsQuery = indexedFTSQuery(query)) {
        int fullTextCount = 0;
        for (const std::int64_t nameMatch : {1, 0}) {
            if (fullTextCount >= kRowLimit)
                break;
            auto fullTextRows =
                allRows(m_connection, fullTextSQL(),
                        {pattern, *ftsQuery, nameMatch, std::int64_t(kRowLimit - fullTextCount)});
            if (!fullTextRows)
                return fail(fullTextRows.error());
            for (db::Row& row : fullTextRows.value()) {
                ++fullTextCount;
                const std::int64_t id = rowID(row);
                auto existing = rowsByID.find(id);
                if (existing == rowsByID.end())
                    rowsByID.insert(id, OrderedRow{std::move(row), nextOrder++});
                else if (!existing->row.text(4))
                    existing->row = std::move(row); // gains the snippet, keeps its place
            }
        }
    }

    std::vector<const OrderedRow*> ordered;
    ordered.reserve(std::size_t(rowsByID.size()));
    for (const OrderedRow& entry : std::as_const(rowsByID))
        ordered.push_back(&entry);
    std::sort(ordered.begin(), ordered.end(),
              [](const OrderedRow* a, const OrderedRow* b) { return a->order < b->order; });

    QList<SearchResult> results;
    results.reserve(qsizetype(ordered.size()));
    for (const OrderedRow* entry : ordered)
        results.append(resultFromRow(entry->row, usageKeyFor, learnedCount));
    return results;
}

bool IndexedDocumentSearch::incrementOpenCount(std::int64_t id) {
    if (!isOpen())
        return false;
    m_connection.setBusyTimeout(kUpdateBusyMilliseconds);
    // At the largest integer SQLite would turn the sum into a real number,
    // which reads back as no count at all: the count stops there instead.
    const QString sql =
        QStringLiteral("UPDATE files SET open_count = CASE WHEN open_count < 9223372036854775807 "
                       "THEN open_count + 1 ELSE 9223372036854775807 END WHERE id = ?");
    auto error = m_connection.run(sql, {id});
    if (error && (error->code & 0xff) == SQLITE_BUSY)
        error = m_connection.run(sql, {id});
    if (error) {
        report(QStringLiteral("Failed to increment open count: ") + error->description());
        return false;
    }
    return true;
}

} // namespace trovi
