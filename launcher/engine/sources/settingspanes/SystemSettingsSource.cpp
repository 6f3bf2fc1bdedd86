#include "launcher/engine/sources/settingspanes/SystemSettingsSource.h"

#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"

namespace trovi {

SystemSettingsSource::SystemSettingsSource(SourceHost& host, double timeToLive,
                                           SystemSettingsPaneSource panes)
    : m_host(host), m_panes(std::move(panes)) {
    m_catalog.value = m_panes.preferred;
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> SystemSettingsSource::search(const SearchContext& context) {
    if (context.isSingleCharacter())
        return {};
    return searchSystemSettingsActionResults(
        context.queryLowercased, m_catalog.value,
        [this](const SearchResult& result) { return m_host.learnedOpenCount(result, 0); });
}

BackgroundJob SystemSettingsSource::refreshJob() {
    if (!m_catalog.isStale(m_host.now()))
        return {};
    return [this, panes = m_panes] {
        // Seeds first, so a scan can never lose them.
        QList<SystemSettingsShortcut> merged = mergeSystemSettingsShortcuts(
            panes.preferred, panes.discover ? panes.discover() : QList<SystemSettingsShortcut>{});
        return [this, merged = std::move(merged)]() mutable {
            m_catalog.adopt(std::move(merged), m_host.now());
        };
    };
}

} // namespace trovi
