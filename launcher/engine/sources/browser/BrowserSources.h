#pragma once
// Open browser tabs and browser bookmarks as action rows. Both catalogues keep
// their place in the refresh; listing and matching arrive with the browser
// integration.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/TimedCatalog.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"

namespace trovi {

class OpenTabSource final : public Source {
public:
    // `listable`: this platform can list open tabs at all; when it cannot, the
    // catalogue is never refreshed (and never drops the query caches).
    OpenTabSource(SourceHost& host, double timeToLive, bool listable);
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

private:
    SourceHost& m_host;
    bool m_listable;
    TimedCatalog<QList<BrowserTabShortcut>> m_catalog;
};

class BookmarkSource final : public Source {
public:
    BookmarkSource(SourceHost& host, double timeToLive, QList<BrowserBookmarkSource> bookmarkFiles);
    QList<SearchResult> search(const SearchContext& context) override;
    BackgroundJob refreshJob() override;

private:
    SourceHost& m_host;
    QList<BrowserBookmarkSource> m_bookmarkFiles;
    TimedCatalog<QList<BrowserBookmarkShortcut>> m_catalog;
};

} // namespace trovi
