#include "launcher/engine/sources/translation/TranslationActionSource.h"

#include <algorithm>

namespace trovi {

std::optional<QList<SearchResult>> TranslationActionCache::lookup(const QString& key,
                                                                  const QDateTime& now) {
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return std::nullopt;
    if (secondsBetween(it->storedAt, now) > m_timeToLive) {
        m_entries.erase(it);
        return std::nullopt;
    }
    return it->rows;
}

void TranslationActionCache::store(const QList<SearchResult>& rows, const QString& key,
                                   const QDateTime& now) {
    m_entries.insert(key, Entry{rows, now});
    if (m_entries.size() <= m_maxEntries)
        return;
    QList<QPair<QDateTime, QString>> byAge;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        byAge.append({it->storedAt, it.key()});
    std::sort(byAge.begin(), byAge.end());
    for (qsizetype i = 0; m_entries.size() > m_maxEntries && i < byAge.size(); ++i)
        m_entries.remove(byAge.at(i).second);
}

TranslationActionSource::TranslationActionSource(std::shared_ptr<TranslationEngines> engines,
                                                 Host host, double cacheTimeToLive,
                                                 int cacheMaxEntries)
    : m_engines(std::move(engines)), m_host(std::move(host)),
      m_cache(cacheTimeToLive, cacheMaxEntries) {
    // The engines serialise their work anyway (one helper process); one
    // thread keeps lookups in order and leaves the rest of the pool alone.
    m_pool.setMaxThreadCount(1);
    m_pool.setThreadPriority(QThread::LowPriority);
}

TranslationActionSource::~TranslationActionSource() {
    m_pool.clear();
    m_engines->interrupt();
    m_pool.waitForDone();
}

QList<SearchResult>
TranslationActionSource::search(const std::optional<TranslationCommand>& command,
                                const QList<TranslationEngineID>& engines) {
    if (!command)
        return {};
    const SearchResult lexWebRow = lexWebActionResult(*command);
    const QString signature = translationEngineSignature(engines);
    const QDateTime now = m_host.clock();

    QList<SearchResult> collected;
    bool pending = false;
    for (const TranslationPairCandidate& candidate : translationPairCandidates(*command)) {
        const QString key = translationCacheKey(candidate, signature, command->sourceText);
        if (const auto cached = m_cache.lookup(key, now)) {
            collected += *cached;
            continue;
        }
        pending = true;
        if (m_inFlightKeys.contains(key))
            continue;
        m_inFlightKeys.insert(key);
        startBackgroundLookup(key, *command, candidate, engines);
    }

    QList<SearchResult> rows = mergedTranslationRows(collected);
    if (pending)
        rows.append(pendingTranslationActionResult(*command));
    return appendingLexWebRowIfNeeded(lexWebRow, rows);
}

void TranslationActionSource::startBackgroundLookup(const QString& key,
                                                    const TranslationCommand& command,
                                                    const TranslationPairCandidate& candidate,
                                                    const QList<TranslationEngineID>& engines) {
    m_pool.start([this, engines = m_engines, post = m_host.postToEngine, key, command, candidate,
                  order = engines] {
        const QList<SearchResult> rows = lookUpTranslationRows(*engines, command, candidate, order);
        // The step runs on the engine's thread, which owns this source.
        post([this, key, rows] { finishBackgroundLookup(key, rows); });
    });
}

void TranslationActionSource::finishBackgroundLookup(const QString& key,
                                                     const QList<SearchResult>& rows) {
    m_cache.store(rows, key, m_host.clock());
    m_inFlightKeys.remove(key);
    if (m_host.searchDataChanged)
        m_host.searchDataChanged();
}

} // namespace trovi
