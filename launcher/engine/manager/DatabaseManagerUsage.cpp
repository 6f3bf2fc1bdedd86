// Usage learning: open counts, recent activations and the usage keys of
// shortcut files.

#include "launcher/engine/manager/DatabaseManager.h"

#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/sources/documents/DocumentSource.h"
#include "launcher/engine/sources/paths/ShortcutUsageKey.h"
#include "launcher/engine/usage/RecentActivationRecord.h"

#include <QSet>

namespace trovi {

QStringList DatabaseManager::usageLookupIdentifiers(const SearchResult& result) {
    QStringList candidates{result.usageKeyOrFullPath()};
    if (result.action == SearchResultAction::openNotionPage) {
        if (result.actionURLString)
            candidates.append(*result.actionURLString);
        if (result.fallbackActionURLString)
            candidates.append(*result.fallbackActionURLString);
    }
    QStringList identifiers;
    QSet<QString> seen;
    for (const QString& candidate : candidates) {
        const QString key = candidate.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        identifiers.append(candidate);
    }
    return identifiers;
}

std::int64_t DatabaseManager::learnedOpenCount(const SearchResult& result,
                                               std::int64_t databaseOpenCount) {
    std::int64_t learned = databaseOpenCount;
    for (const QString& identifier : usageLookupIdentifiers(result))
        learned = std::max(learned, m_usage.count(identifier));
    return learned;
}

void DatabaseManager::incrementPathOpenCount(const QString& path) {
    m_usage.increment(path);
    invalidateQueryResultCache();
}

void DatabaseManager::migrateLegacyUsageCountIfNeeded(const SearchResult& result) {
    if (result.action != SearchResultAction::openNotionPage)
        return;
    const QString usageKey = result.usageKeyOrFullPath();
    const std::int64_t current = m_usage.count(usageKey);
    std::int64_t legacy = 0;
    for (const QString& identifier : usageLookupIdentifiers(result)) {
        if (identifier.toLower() != usageKey.toLower())
            legacy = std::max(legacy, m_usage.count(identifier));
    }
    if (legacy > current)
        m_usage.setCount(usageKey, legacy);
}

void DatabaseManager::recordActivation(const SearchResult& result,
                                       const ActivationContext& context) {
    const SearchRankingPreferences preferences = rankingPreferences();
    const auto isTranslationCommand = [this](const QString& normalized) {
        return translationCommand(normalized).has_value();
    };
    if (const auto promoted = promotedSearchResultsAfterActivation(result, context, preferences,
                                                                   isTranslationCommand))
        m_persistentStore->storeResults(*promoted, queryCacheKey(context.query, preferences),
                                        now().addMSecs(-1));
    storeRecentActivation(result.withOpenCount(saturatingIncrement(result.openCount)));
    const QString usageKey = result.usageKeyOrFullPath();
    if (result.kind == SearchResultKind::action) {
        migrateLegacyUsageCountIfNeeded(result);
        incrementPathOpenCount(usageKey);
    } else if (!result.databaseID()) {
        incrementPathOpenCount(usageKey);
    } else {
        if (usageKey != result.fullPath())
            incrementPathOpenCount(usageKey);
        if (m_sources.documents->incrementOpenCount(*result.databaseID()))
            invalidateQueryResultCache();
    }
}

void DatabaseManager::storeRecentActivation(const SearchResult& result) {
    if (!m_config.recentActivationsEnabled)
        return;
    auto record = RecentActivationRecord::make(result, now());
    if (!record)
        return;
    m_usage.storeRecentActivation(*record, m_config.recentActivationsMaxEntries);
    invalidateQueryResultCache();
}

std::optional<QString> DatabaseManager::shortcutUsageKey(const QString& fullPath,
                                                         const QString& filename) {
    auto it = m_shortcutUsageKeyCache.constFind(fullPath);
    if (it != m_shortcutUsageKeyCache.constEnd())
        return *it;
    std::optional<QString> key;
    if (hasShortcutUsageKeySuffix(filename))
        key = trovi::shortcutUsageKey(fullPath);
    m_shortcutUsageKeyCache.insert(fullPath, key);
    return key;
}

} // namespace trovi
