#include "launcher/engine/sources/settingspanes/SystemSettingsSource.h"

namespace trovi {

SystemSettingsSource::SystemSettingsSource(SourceHost& host, double timeToLive) : m_host(host) {
    m_catalog.value = systemSettingsSeedShortcuts();
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> SystemSettingsSource::search(const SearchContext& context) {
    if (context.isSingleCharacter())
        return {};
    return {};
}

BackgroundJob SystemSettingsSource::refreshJob() {
    if (!m_catalog.isStale(m_host.now()))
        return {};
    return [this] {
        // Pane discovery is not available here yet: the seed list is delivered.
        QList<SystemSettingsShortcut> panes = systemSettingsSeedShortcuts();
        return [this, panes = std::move(panes)]() mutable {
            m_catalog.adopt(std::move(panes), m_host.now());
        };
    };
}

} // namespace trovi
