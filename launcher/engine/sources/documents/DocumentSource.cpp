#include "launcher/engine/sources/documents/DocumentSource.h"

namespace trovi {

DocumentSource::DocumentSource(SourceHost& host, const QString& databasePath)
    : m_host(host), m_index(databasePath, [&host](const QString& line) { host.diagnostic(line); }) {
}

QList<SearchResult> DocumentSource::search(const SearchContext& context) {
    return m_index.search(
        context.trimmedQuery,
        [this](const QString& fullPath, const QString& filename) {
            return m_host.shortcutUsageKey(fullPath, filename);
        },
        [this](const QString& lowerCasedKey) {
            return m_host.learnedCounts().value(lowerCasedKey.toLower(), 0);
        });
}

} // namespace trovi
