#pragma once
// Translation rows for queries that are translation commands ("cc hello").
// Answers at once from a per-pair cache; for a pair with no fresh answer it
// starts a lookup in the background, shows a placeholder meanwhile, caches the
// finished rows and reports new search data, so the next search shows them.

#include "launcher/engine/cache/TimedCache.h"
#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/translation/TranslationRows.h"

#include <QHash>
#include <QSet>

#include <memory>

namespace trovi {

class TranslationSource final : public Source {
public:
    struct Options {
        std::shared_ptr<TranslationEngines> engines; // required
        double cacheTimeToLive = 1800;
        int cacheMaxEntries = 300;
    };

    TranslationSource(SourceHost& host, Options options);

    QList<SearchResult> search(const SearchContext& context) override;
    bool hasPendingLookups() const override { return !m_inFlightKeys.isEmpty(); }

private:
    void startBackgroundLookup(const QString& key, const TranslationCommand& command,
                               const TranslationPairCandidate& candidate,
                               const QList<TranslationEngineID>& engines);
    void finishBackgroundLookup(const QString& key, const QList<SearchResult>& rows);

    SourceHost& m_host;
    Options m_options;
    // Rows per cache key.
    TimedCache<QList<SearchResult>> m_cache;
    QSet<QString> m_inFlightKeys;
};

} // namespace trovi
