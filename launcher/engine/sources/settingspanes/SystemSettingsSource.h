#pragma once
// Settings panes as action rows. The catalogue starts as the seed list so that
// panes are there before the first refresh; matching arrives with the pane
// discovery.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"

namespace trovi {

class SystemSettingsSource final : public Source {
public:
    SystemSettingsSource(SourceHost& host, double timeToLive);
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

    const TimedCatalog<QList<SystemSettingsShortcut>>& catalog() const { return m_catalog; }

private:
    SourceHost& m_host;
    TimedCatalog<QList<SystemSettingsShortcut>> m_catalog;
};

} // namespace trovi
