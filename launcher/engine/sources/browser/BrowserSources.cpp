#include "launcher/engine/sources/browser/BrowserSources.h"

#include "launcher/engine/sources/browser/BrowserBookmarks.h"
#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"

namespace trovi {

OpenTabSource::OpenTabSource(SourceHost& host, double timeToLive, bool listable,
                             QString scriptHostPath, QList<BrowserSessionSource> sessionSources)
    : m_host(host), m_listable(listable), m_scriptHostPath(std::move(scriptHostPath)),
      m_sessionSources(std::move(sessionSources)),
      m_sessionReader(std::make_shared<SessionTabReader>()) {
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> OpenTabSource::search(const SearchContext& context) {
    if (!m_listable || context.isSingleCharacter())
        return {};
    return searchBrowserTabActionResults(
        context.queryLowercased, m_catalog.value,
        [this](const SearchResult& result) { return m_host.learnedOpenCount(result, 0); });
}

BackgroundJob OpenTabSource::refreshJob() {
    if (!m_listable || !m_catalog.isStale(m_host.now()))
        return {};
    return [this, path = m_scriptHostPath, sources = m_sessionSources, reader = m_sessionReader] {
        QList<BrowserTabShortcut> tabs;
        if (!sources.isEmpty()) {
            tabs = reader->read(sources);
        } else {
            const AppleScriptRunner runner(
                path, [this](const QString& line) { m_host.diagnostic(line); });
            tabs = discoverBrowserTabs(runner);
        }
        return [this, tabs = std::move(tabs)]() mutable {
            m_catalog.adopt(std::move(tabs), m_host.now());
        };
    };
}

BookmarkSource::BookmarkSource(SourceHost& host, double timeToLive,
                               QList<BrowserBookmarkSource> bookmarkFiles)
    : m_host(host), m_bookmarkFiles(std::move(bookmarkFiles)),
      m_firefoxCache(std::make_shared<FirefoxBookmarkCache>()) {
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> BookmarkSource::search(const SearchContext& context) {
    if (context.isSingleCharacter())
        return {};
    return searchBrowserBookmarkActionResults(
        context.queryLowercased, m_catalog.value,
        [this](const SearchResult& result) { return m_host.learnedOpenCount(result, 0); });
}

BackgroundJob BookmarkSource::refreshJob() {
    if (!m_catalog.isStale(m_host.now()))
        return {};
    return [this, sources = m_bookmarkFiles, cache = m_firefoxCache] {
        BrowserBookmarkCatalog bookmarks =
            BrowserBookmarkCatalog::build(discoverBrowserBookmarks(sources, cache.get()));
        return [this, bookmarks = std::move(bookmarks)]() mutable {
            m_catalog.adopt(std::move(bookmarks), m_host.now());
        };
    };
}

} // namespace trovi
