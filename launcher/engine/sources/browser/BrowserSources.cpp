#include "launcher/engine/sources/browser/BrowserSources.h"

namespace trovi {

OpenTabSource::OpenTabSource(SourceHost& host, double timeToLive, bool listable)
    : m_host(host), m_listable(listable) {
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> OpenTabSource::search(const SearchContext& context) {
    if (!m_listable || context.isSingleCharacter())
        return {};
    return {};
}

BackgroundJob OpenTabSource::refreshJob() {
    if (!m_listable || !m_catalog.isStale(m_host.now()))
        return {};
    return [this] { return [this] { m_catalog.adopt({}, m_host.now()); }; };
}

BookmarkSource::BookmarkSource(SourceHost& host, double timeToLive,
                               QList<BrowserBookmarkSource> bookmarkFiles)
    : m_host(host), m_bookmarkFiles(std::move(bookmarkFiles)) {
    m_catalog.timeToLive = timeToLive;
}

QList<SearchResult> BookmarkSource::search(const SearchContext& context) {
    if (context.isSingleCharacter())
        return {};
    return {};
}

BackgroundJob BookmarkSource::refreshJob() {
    if (!m_catalog.isStale(m_host.now()))
        return {};
    return [this] { return [this] { m_catalog.adopt({}, m_host.now()); }; };
}

} // namespace trovi
