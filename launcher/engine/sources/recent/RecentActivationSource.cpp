#include "launcher/engine/sources/recent/RecentActivationSource.h"

#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/sources/notion/NotionRows.h"
#include "launcher/engine/usage/UsageStore.h"

#include <QFileInfo>

namespace trovi {

bool RecentActivationSource::shouldInclude(const SearchResult& result) const {
    auto existsUnlessNeverRefreshed = [&](const TimedCatalog<PathCatalog>* catalog) {
        return !catalog->refreshedAt || QFileInfo::exists(result.fullPath());
    };
    switch (result.kind) {
    case SearchResultKind::action:
        return true;
    case SearchResultKind::folder:
        return existsUnlessNeverRefreshed(m_catalogs.folders);
    case SearchResultKind::app:
        return existsUnlessNeverRefreshed(m_catalogs.apps);
    case SearchResultKind::file:
        return result.usageKey && existsUnlessNeverRefreshed(m_catalogs.shortcuts);
    }
    return false;
}

QList<SearchResult> RecentActivationSource::search(const SearchContext& context) {
    if (!m_enabled)
        return {};
    const QString q = context.trimmedQuery.toLower();
    auto contains = [&](const std::optional<QString>& text) {
        return text && text->toLower().contains(q);
    };
    QList<SearchResult> results;
    for (const RecentActivationRecord& record : m_usage.recentActivations()) {
        std::optional<SearchResult> result = record.toSearchResult();
        if (!result)
            continue;
        *result = normalizedNotionSearchResult(*result);
        result->isRecentActivation = true;
        if (!shouldInclude(*result))
            continue;
        const bool accepted =
            result->namesContain(q) ||
            searchableBasename(*result, context.ranking.sortedSuffixesForBasenameStripping())
                .contains(q) ||
            result->directory.toLower().contains(q) || contains(result->snippet) ||
            result->fullPath().toLower().contains(q) || contains(result->actionURLString);
        if (accepted)
            results.append(m_host.withLearnedOpenCount(*result));
    }
    return results;
}

} // namespace trovi
