#pragma once
// Open browser tabs and browser bookmarks as action rows.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserSessionSource.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"
#include "launcher/engine/sources/browser/SessionTabReader.h"

#include <memory>

namespace trovi {

class OpenTabSource final : public Source {
public:
    // `listable`: this platform can list open tabs at all; when it cannot, the
    // catalogue is never refreshed (and never drops the query caches).
    // Tabs come from the browsers' session files when `sessionSources` names
    // any (Linux), else from the tab-listing script that `scriptHostPath` runs.
    OpenTabSource(SourceHost& host, double timeToLive, bool listable, QString scriptHostPath,
                  QList<BrowserSessionSource> sessionSources = {});
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

private:
    SourceHost& m_host;
    bool m_listable;
    QString m_scriptHostPath;
    QList<BrowserSessionSource> m_sessionSources;
    std::shared_ptr<SessionTabReader> m_sessionReader;
    TimedCatalog<QList<BrowserTabShortcut>> m_catalog;
};

class BookmarkSource final : public Source {
public:
    BookmarkSource(SourceHost& host, double timeToLive, QList<BrowserBookmarkSource> bookmarkFiles);
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

    const TimedCatalog<BrowserBookmarkCatalog>& catalog() const { return m_catalog; }

private:
    SourceHost& m_host;
    QList<BrowserBookmarkSource> m_bookmarkFiles;
    std::shared_ptr<FirefoxBookmarkCache> m_firefoxCache;
    TimedCatalog<BrowserBookmarkCatalog> m_catalog;
};

} // namespace trovi
