#include "launcher/engine/manager/DatabaseManager.h"

#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/sources/actions/LauncherActions.h"
#include "launcher/engine/sources/directpath/DirectPath.h"
#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/translation/TranslationActionSource.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/tools/MathEvaluator.h"
#include "launcher/tools/TranslationSettingsStores.h"

#include <QDir>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace trovi {

namespace {

// The engine trims blanks and tabs only; line breaks stay part of the query.
QString trimmedBlanksAndTabs(const QString& text) {
    auto isBlank = [](QChar c) { return c == u'\t' || c.category() == QChar::Separator_Space; };
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::function<DatabaseManagerServices()>& sharedServicesFactory() {
    static std::function<DatabaseManagerServices()> factory;
    return factory;
}

} // namespace

DatabaseManager::DatabaseManager(DatabaseManagerConfiguration configuration,
                                 DatabaseManagerServices services)
    : m_config(std::move(configuration)), m_services(std::move(services)),
      m_rankingStore(*m_services.preferences),
      m_usage(*m_services.preferences, m_config.usageStoreKey) {
    if (!m_services.clock)
        m_services.clock = systemClock();
    if (m_config.isRunningUnitTests) {
        m_config.recentActivationsEnabled = false;
        m_config.persistentQueryResultCacheEnabled = false;
        m_config.browserBookmarkSources.clear();
    }
    m_index = std::make_unique<IndexedDocumentSearch>(
        m_config.indexDatabasePath, [this](const QString& line) { diagnostic(line); });
    m_persistentStore = PersistentQueryResultCacheStoreRegistry::store(
        *m_services.preferences, m_config.persistentQueryResultCacheKey());
    m_persistentQueryResultCacheInvalidatedAt = m_persistentStore->actorInvalidatedAt();
    // Two threads: the warm-up walks applications and folders side by side;
    // a refresh runs its builders one after another on one of them.
    m_builderPool.setMaxThreadCount(2);
    m_cachedSystemSettingsShortcuts = systemSettingsSeedShortcuts();

    if (!m_services.translationEngines)
        m_services.translationEngines = LocalTranslationEngines::shared();
    TranslationActionSource::Host host;
    host.clock = m_services.clock;
    host.postToEngine = [this](std::function<void()> step) {
        QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
    };
    host.searchDataChanged = [this] { announceSearchDataRefreshed(); };
    m_translationSource = std::make_unique<TranslationActionSource>(
        m_services.translationEngines, std::move(host), m_config.translationActionCacheTTL,
        m_config.translationActionCacheMaxEntries);
}

DatabaseManager::~DatabaseManager() {
    m_translationSource.reset();
    // The watcher's callback queues work on this object: stop it first.
    m_shortcutRootWatcher.reset();
    m_builderPool.waitForDone();
}

void DatabaseManager::configureShared(std::function<DatabaseManagerServices()> servicesFactory) {
    sharedServicesFactory() = std::move(servicesFactory);
}

DatabaseManager& DatabaseManager::shared() {
    static DatabaseManager* instance = [] {
        DatabaseManagerServices services;
        if (sharedServicesFactory())
            services = sharedServicesFactory()();
        if (!services.preferences)
            services.preferences = &PreferenceStore::standard();
        if (!services.notifications)
            services.notifications = &NotificationCenter::defaultCenter();
        auto* manager = new DatabaseManager(
            DatabaseManagerConfiguration::standard(QDir::homePath()), std::move(services));
        auto* thread = new QThread;
        thread->setObjectName(QStringLiteral("trovi-engine"));
        manager->moveToThread(thread);
        thread->start();
        return manager;
    }();
    return *instance;
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
    return m_rankingStore.load();
}

std::optional<TranslationCommand>
DatabaseManager::translationCommand(const QString& trimmedQuery) const {
    const TranslationCommandSettingsStore triggerStore(*m_services.preferences);
    const TranslationLanguageSettingsStore languageStore(*m_services.preferences);
    const QStringList codes = languageStore.load();
    const QSet<QString> supported(codes.begin(), codes.end());
    return TranslationCommandParser::parse(trimmedQuery, triggerStore.loadTrigger(), supported,
                                           m_services.languageRecognizer);
}

// ---- the search pipeline -----------------------------------------------------

QList<SearchResult> DatabaseManager::search(const QString& query, bool allowPersistentQueryCache) {
    const QString trimmed = trimmedBlanksAndTabs(query);
    if (trimmed.isEmpty())
        return {};
    const QString queryLowercased = trimmed.toLower();
    const SearchRankingPreferences preferences = rankingPreferences();
    const QString cacheKey = queryLowercased + u'|' + preferences.cacheKey();
    const bool isTranslationCommand = translationCommand(trimmed).has_value();

    scheduleBackgroundCacheRefreshIfNeeded();
    if (!isTranslationCommand) {
        if (auto cached = cachedQueryResults(cacheKey, allowPersistentQueryCache))
            return *cached;
    }

    QList<SearchResult> merged;
    merged += searchCalculatorResults(trimmed);
    merged += searchActionResults(trimmed);
    merged += searchDirectPathResults(trimmed);
    merged += searchRecentActivationResults(trimmed, preferences);
    merged += searchIndexedFiles(trimmed);

    const auto& counts = m_usage.openCounts();
    merged += m_cachedShortcuts.filterAndSort(queryLowercased, preferences, counts);
    merged += m_cachedApps.filterAndSort(queryLowercased, preferences, counts);
    merged +=
        m_cachedFolders.filterAndSort(queryLowercased, preferences, counts, pinnedFolderResults());
    merged += searchNotionPages(trimmed);

    QList<SearchResult> results = deduplicatedSearchResults(merged);
    for (SearchResult& result : results)
        result.relevanceScore = relevanceScore(result, queryLowercased, preferences);
    sortForDisplay(results);
    if (results.size() > 20)
        results.resize(20);

    if (!isTranslationCommand)
        storeQueryResultsInCache(results, cacheKey);
    return results;
}

QList<SearchResult> DatabaseManager::searchActionResults(const QString& query) {
    QList<SearchResult> results = searchTranslationActionResults(query);
    const QString queryLowercased = query.toLower();
    if (characterCount(queryLowercased) < 2)
        return results;
    results += searchLauncherActionResults(queryLowercased);
    results += searchSystemSettingsActionResults(queryLowercased, m_cachedSystemSettingsShortcuts);
    if (!m_config.isRunningUnitTests)
        results += searchBrowserTabActionResults(queryLowercased, m_cachedBrowserTabs);
    results += searchBrowserBookmarkActionResults(queryLowercased, m_cachedBrowserBookmarks);
    return results;
}

QList<SearchResult> DatabaseManager::searchCalculatorResults(const QString& query) const {
    const std::optional<QString> value = evaluateMathExpression(query);
    if (!value)
        return {};
    SearchResult row;
    row.id = stableNegativeID(QStringLiteral("action://calculator/") + query);
    row.filename = *value;
    row.directory = query;
    row.kind = SearchResultKind::action;
    row.action = SearchResultAction::copyToClipboard;
    row.actionURLString = *value;
    return {row};
}

QList<SearchResult> DatabaseManager::searchTranslationActionResults(const QString& query) {
    const std::optional<TranslationCommand> command = translationCommand(query);
    if (!command)
        return {};
    const TranslationEngineSettingsStore engineStore(*m_services.preferences);
    return m_translationSource->search(command, engineStore.load().prioritizedEnabledEngineIDs());
}

bool DatabaseManager::hasPendingLookups() const {
    return m_translationSource->hasPendingLookups();
}

QList<SearchResult> DatabaseManager::searchLauncherActionResults(const QString& queryLowercased) {
    if (!launcherSettingsActionMatches(queryLowercased))
        return {};
    SearchResult result = launcherSettingsActionResult();
    const std::int64_t learned = learnedOpenCount(result, 0);
    if (learned != 0)
        result = result.withOpenCount(learned);
    return {result};
}

// Settings panes are matched once their catalogue lands; the seed list is kept
// so that it is there from the start.
QList<SearchResult>
DatabaseManager::searchSystemSettingsActionResults(const QString&,
                                                   const QList<SystemSettingsShortcut>&) {
    return {};
}

QList<SearchResult>
DatabaseManager::searchBrowserTabActionResults(const QString&, const QList<BrowserTabShortcut>&) {
    return {};
}

QList<SearchResult>
DatabaseManager::searchBrowserBookmarkActionResults(const QString&,
                                                    const QList<BrowserBookmarkShortcut>&) {
    return {};
}

QList<SearchResult> DatabaseManager::searchDirectPathResults(const QString& query) {
    auto result = directPathResult(query, m_config.homeDirectory,
                                   [this](const QString& fullPath, const QString& filename) {
                                       return cachedShortcutUsageKey(fullPath, filename);
                                   });
    if (!result)
        return {};
    const std::int64_t learned = learnedOpenCount(*result, 0);
    if (learned != 0)
        *result = result->withOpenCount(learned);
    return {*result};
}

QList<SearchResult> DatabaseManager::searchIndexedFiles(const QString& query) {
    if (!m_index)
        return {};
    return m_index->search(
        query,
        [this](const QString& fullPath, const QString& filename) {
            return cachedShortcutUsageKey(fullPath, filename);
        },
        [this](const QString& lowerCasedKey) { return m_usage.count(lowerCasedKey); });
}

QList<SearchResult> DatabaseManager::pinnedFolderResults() {
    QList<SearchResult> results;
    for (const QString& path : m_config.pinnedFolderPaths) {
        auto result = pinnedFolderResult(path);
        if (!result)
            continue;
        const std::int64_t learned = learnedOpenCount(*result, 0);
        results.append(learned != 0 ? result->withOpenCount(learned) : *result);
    }
    return results;
}

// Notion pages arrive with the Notion client.
QList<SearchResult> DatabaseManager::searchNotionPages(const QString&) {
    return {};
}

} // namespace trovi
