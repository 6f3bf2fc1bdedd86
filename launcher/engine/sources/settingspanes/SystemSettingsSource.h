#pragma once
// Settings panes as action rows. The catalogue starts as the platform's
// preferred panes (the seed list on macOS) so that panes are there before the
// first refresh; every refresh merges them with what the scan finds.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/settingspanes/SettingsPanels.h"

namespace trovi {

class SystemSettingsSource final : public Source {
public:
    SystemSettingsSource(SourceHost& host, double timeToLive, SystemSettingsPaneSource panes);
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

    const TimedCatalog<QList<SystemSettingsShortcut>>& catalog() const { return m_catalog; }

private:
    SourceHost& m_host;
    SystemSettingsPaneSource m_panes;
    TimedCatalog<QList<SystemSettingsShortcut>> m_catalog;
};

} // namespace trovi
