#include "launcher/engine/manager/DatabaseManager.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/sources/notion/NotionRows.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"

#include <algorithm>
#include <cstdio>

namespace trovi {

DatabaseManager::DatabaseManager(DatabaseManagerConfiguration configuration,
                                 DatabaseManagerServices services)
    : m_config(std::move(configuration)), m_services(std::move(services)),
      m_rankingStore(*m_services.preferences),
      m_usage(*m_services.preferences, m_config.usageStoreKey) {
    if (!m_services.clock)
        m_services.clock = systemClock();
    if (!m_services.translationEngines)
        m_services.translationEngines = std::make_shared<LocalTranslationEngines>();
    m_sources =
        addStandardSources(m_sourceList, *this, m_usage, m_config,
                           {m_services.translationEngines, m_services.installedApplications});
    m_persistentStore = PersistentQueryResultCacheStoreRegistry::store(
        *m_services.preferences, m_config.persistentQueryResultCacheKey());
    // Notion rows stored under an older address form come back with one identity.
    m_persistentStore->setResultNormalizer(normalizedNotionSearchResult);
    m_persistentQueryResultCacheInvalidatedAt = m_persistentStore->actorInvalidatedAt();
    // A new Notion token or switch must not wait for cached answers to expire.
    if (m_services.notifications) {
        m_notionSettingsObserver = m_services.notifications->observe(
            notifications::NotionSettingsChanged, [this](const QVariantMap&) {
                QMetaObject::invokeMethod(
                    this, [this] { invalidateQueryResultCache(); }, Qt::QueuedConnection);
            });
    }
}

DatabaseManager::~DatabaseManager() {
    // Unregistering waits for a running observer, which may queue work here.
    m_notionSettingsObserver.reset();
    // A translation waiting on its helper would hold up the pool's shutdown.
    m_services.translationEngines->interrupt();
    // The watcher's callback queues work on this object: stop it first.
    m_shortcutRootWatcher.reset();
}

void DatabaseManager::diagnostic(const QString& line) const {
    if (m_services.diagnostics) {
        m_services.diagnostics(line);
        return;
    }
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

SearchRankingPreferences DatabaseManager::rankingPreferences() const {
    // Decoding the rules costs more than a whole catalogue search: decode
    // again only when the stored value changes.
    std::optional<QCborValue> stored =
        m_services.preferences->value(m_rankingStore.extensionBoostRulesKey());
    if (!m_loadedRanking || stored != m_loadedRankingSource) {
        m_loadedRanking = m_rankingStore.load();
        m_loadedRankingSource = std::move(stored);
    }
    return *m_loadedRanking;
}

std::optional<TranslationCommand>
DatabaseManager::translationCommand(const QString& trimmedQuery) const {
    return translationCommandFromSettings(trimmedQuery, *m_services.preferences,
                                          m_services.languageRecognizer);
}

bool DatabaseManager::hasPendingLookups() const {
    const std::vector<Source*> sources = m_sourceList.searchOrder();
    return std::any_of(sources.begin(), sources.end(),
                       [](const Source* source) { return source->hasPendingLookups(); });
}

// ---- the search pipeline -----------------------------------------------------

namespace {

// De-duplicated (the first copy wins, so source order matters), scored,
// sorted and cut to the 20 rows shown.
QList<SearchResult> rankedForDisplay(const std::vector<QList<SearchResult>>& bySource,
                                     const SearchContext& context) {
    QList<SearchResult> merged;
    qsizetype total = 0;
    for (const QList<SearchResult>& rows : bySource)
        total += rows.size();
    merged.reserve(total);
    for (const QList<SearchResult>& rows : bySource)
        merged += rows;
    QList<SearchResult> results = deduplicatedSearchResults(merged);
    for (SearchResult& result : results)
        result.relevanceScore = relevanceScore(result, context.queryLowercased, context.ranking);
    sortForDisplay(results, 20);
    return results;
}

} // namespace

QList<SearchResult> DatabaseManager::search(const QString& query, bool allowPersistentQueryCache,
                                            const SearchTicket& ticket, const EarlyAnswer& early) {
    SearchContext context;
    context.ticket = ticket;
    context.trimmedQuery = trimmedBlanksAndTabs(query);
    if (context.trimmedQuery.isEmpty())
        return {};
    context.queryLowercased = context.trimmedQuery.toLower();
    context.ranking = rankingPreferences();
    context.now = now();
    const QString cacheKey = queryCacheKey(query, context.ranking);
    context.translationCommand = translationCommand(context.trimmedQuery);
    const bool isTranslationCommand = context.translationCommand.has_value();

    scheduleBackgroundCacheRefreshIfNeeded();
    if (!isTranslationCommand) {
        if (auto cached = cachedQueryResults(cacheKey, allowPersistentQueryCache))
            return *cached;
    }

    // Every source in the fixed order; the slow ones wait when someone takes
    // the early list.
    const std::vector<Source*> sources = m_sourceList.searchOrder();
    std::vector<QList<SearchResult>> bySource(sources.size());
    std::vector<std::size_t> late;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        if (ticket.isSuperseded())
            return {}; // partial: never shown, never cached
        if (early && sources[i]->answersLate())
            late.push_back(i);
        else
            bySource[i] = sources[i]->search(context);
    }
    if (!late.empty()) {
        if (ticket.isSuperseded())
            return {};
        early(rankedForDisplay(bySource, context));
        for (const std::size_t i : late) {
            if (ticket.isSuperseded())
                return {};
            bySource[i] = sources[i]->search(context);
        }
    }
    if (ticket.isSuperseded())
        return {};

    QList<SearchResult> results = rankedForDisplay(bySource, context);
    if (!isTranslationCommand)
        storeQueryResultsInCache(results, cacheKey);
    return results;
}

} // namespace trovi
