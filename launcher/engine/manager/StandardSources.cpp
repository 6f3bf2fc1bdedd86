// The standard sources. Adding a source is one folder under sources/ and one
// line here.

#include "launcher/engine/manager/DatabaseManagerConfiguration.h"
#include "launcher/engine/manager/PathCatalogSources.h"
#include "launcher/engine/manager/SourceList.h"
#include "launcher/engine/sources/actions/LauncherActionSource.h"
#include "launcher/engine/sources/browser/BrowserSources.h"
#include "launcher/engine/sources/calculator/CalculatorSource.h"
#include "launcher/engine/sources/directpath/DirectPathSource.h"
#include "launcher/engine/sources/documents/DocumentSource.h"
#include "launcher/engine/sources/notion/NotionSource.h"
#include "launcher/engine/sources/paths/PathCatalogSource.h"
#include "launcher/engine/sources/recent/RecentActivationSource.h"
#include "launcher/engine/sources/settingspanes/SystemSettingsSource.h"
#include "launcher/engine/sources/translation/TranslationSource.h"

#include <algorithm>

namespace trovi {

std::vector<Source*> SourceList::searchOrder() const {
    std::vector<Source*> sources;
    for (const Entry& entry : m_entries)
        sources.push_back(entry.source.get());
    return sources;
}

std::vector<Source*> SourceList::refreshOrder() const {
    std::vector<const Entry*> entries;
    for (const Entry& entry : m_entries)
        entries.push_back(&entry);
    std::stable_sort(entries.begin(), entries.end(), [](const Entry* a, const Entry* b) {
        return a->refreshSlot < b->refreshSlot;
    });
    std::vector<Source*> sources;
    for (const Entry* entry : entries)
        sources.push_back(entry->source.get());
    return sources;
}

StandardSources addStandardSources(SourceList& list, SourceHost& host, UsageStore& usage,
                                   const DatabaseManagerConfiguration& config,
                                   const StandardSourceServices& services) {
    StandardSources s;
    auto apps = makeApplicationSource(host, config, services.installedApplications);
    auto folders = makeFolderSource(host, config);
    auto shortcuts = makeShortcutSource(host, config);
    s.apps = apps.get();
    s.folders = folders.get();
    s.shortcuts = shortcuts.get();

    // Search order; the numbers give the catalogues' refresh order.
    list.add(std::make_unique<CalculatorSource>());
    list.add(std::make_unique<TranslationSource>(
        host,
        TranslationSource::Options{services.translationEngines, config.translationActionCacheTTL,
                                   config.translationActionCacheMaxEntries}));
    list.add(std::make_unique<LauncherActionSource>(host));
    list.add(std::make_unique<SystemSettingsSource>(host, config.systemSettingsCacheTTL,
                                                    config.systemSettingsPanes),
             4);
    list.add(std::make_unique<OpenTabSource>(host, config.browserTabsCacheTTL,
                                             config.browserTabsAvailable, config.scriptHostPath,
                                             config.browserSessionSources),
             5);
    list.add(std::make_unique<BookmarkSource>(host, config.browserBookmarksCacheTTL,
                                              config.browserBookmarkSources),
             6);
    list.add(std::make_unique<DirectPathSource>(host, config.homeDirectory));
    list.add(std::make_unique<RecentActivationSource>(
        host, usage, config.recentActivationsEnabled,
        RecentActivationSource::Catalogs{&s.apps->catalog(), &s.folders->catalog(),
                                         &s.shortcuts->catalog()}));
    s.documents = &list.add(std::make_unique<DocumentSource>(host, config.indexDatabasePath));
    list.add(std::move(shortcuts), 3);
    list.add(std::move(apps), 1);
    list.add(std::move(folders), 2);
    list.add(std::make_unique<NotionSource>(host, config.notionClient, config.notionCacheTTL,
                                            config.notionCacheMaxEntries));
    return s;
}

} // namespace trovi
