#include "launcher/engine/sources/translation/TranslationSource.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/core/Clock.h"

#include <algorithm>

namespace trovi {

TranslationSource::TranslationSource(SourceHost& host, Options options)
    : m_host(host), m_options(std::move(options)),
      m_cache(m_options.cacheTimeToLive, m_options.cacheMaxEntries) {}

QList<SearchResult> TranslationSource::search(const SearchContext& context) {
    const std::optional<TranslationCommand>& command = context.translationCommand;
    if (!command)
        return {};
    const QList<TranslationEngineID> engines =
        TranslationEngineSettingsStore(m_host.preferences()).load().prioritizedEnabledEngineIDs();
    const QString signature = translationEngineSignature(engines);
    const QDateTime now = m_host.now();

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
    return appendingLexWebRowIfNeeded(lexWebActionResult(*command), rows);
}

void TranslationSource::startBackgroundLookup(const QString& key, const TranslationCommand& command,
                                              const TranslationPairCandidate& candidate,
                                              const QList<TranslationEngineID>& engines) {
    m_host.runInBackground(QStringLiteral("translation:") + key, [this, engines = m_options.engines,
                                                                  key, command, candidate,
                                                                  order = engines] {
        const QList<SearchResult> rows = lookUpTranslationRows(*engines, command, candidate, order);
        // Runs on the engine thread, which owns this source.
        return BackgroundStep([this, key, rows] { finishBackgroundLookup(key, rows); });
    });
}

void TranslationSource::finishBackgroundLookup(const QString& key,
                                               const QList<SearchResult>& rows) {
    m_cache.store(key, rows, m_host.now());
    m_inFlightKeys.remove(key);
    m_host.searchDataChanged();
}

} // namespace trovi
