#include "launcher/engine/sources/paths/PathCatalogSource.h"

namespace trovi {

PathCatalogSource::PathCatalogSource(SourceHost& host, double timeToLive, WalkFactory walk,
                                     Extras extras)
    : m_host(host), m_walk(std::move(walk)), m_extras(std::move(extras)) {
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> PathCatalogSource::search(const SearchContext& context) {
    return m_catalog.value.filterAndSort(context.queryLowercased, context.ranking,
                                         m_host.learnedCounts(),
                                         m_extras ? m_extras() : QList<SearchResult>{});
}

std::function<PathCatalog()> PathCatalogSource::builder() const {
    // The index is prepared for the current ranking rules, so the first search
    // after the swap does not pay for it.
    const SearchRankingPreferences preferences = m_host.rankingPreferences();
    return [walk = m_walk(preferences), preferences] {
        return PathCatalog::build(walk(), preferences);
    };
}

BackgroundJob PathCatalogSource::refreshJob() {
    if (!m_catalog.isStale(m_host.now()))
        return {};
    return [this, build = builder()]() -> BackgroundStep {
        return [this, catalog = build()]() mutable { adopt(std::move(catalog)); };
    };
}

} // namespace trovi
