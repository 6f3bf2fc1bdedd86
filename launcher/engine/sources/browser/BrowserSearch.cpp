#include "launcher/engine/sources/browser/BrowserSearch.h"

#include "launcher/engine/ranking/NameCollation.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"

#include <QHash>

#include <algorithm>

namespace trovi {

namespace {

QString hostLabel(const QString& host) {
    return host.isEmpty() ? QStringLiteral("website") : host;
}

QString rowTitle(const QString& title, const QString& host) {
    return title.isEmpty() ? hostLabel(host) : title + QStringLiteral(" \u2022 ") + hostLabel(host);
}

int score(const QString& q, const QString& title, const QString& host, const QString& url,
          const QString& folderPath) {
    if (title == q || host == q)
        return 4;
    if (title.startsWith(q) || host.startsWith(q))
        return 3;
    if (title.contains(q) || host.contains(q) || folderPath.contains(q))
        return 2;
    if (url.contains(q))
        return 1;
    return 0;
}

struct Scored {
    int score;
    SearchResult result;
};

QList<SearchResult> ranked(QList<Scored> matches, const LearnedCountLookup& learnedOpenCount) {
    if (learnedOpenCount) {
        for (Scored& match : matches)
            if (const std::int64_t learned = learnedOpenCount(match.result); learned != 0)
                match.result = match.result.withOpenCount(learned);
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Scored& a, const Scored& b) {
        if (a.score != b.score)
            return a.score > b.score;
        if (a.result.openCount != b.result.openCount)
            return a.result.openCount > b.result.openCount;
        return compareNames(a.result.filename, b.result.filename) < 0;
    });
    QList<SearchResult> results;
    for (qsizetype i = 0; i < matches.size() && i < 50; ++i)
        results.append(std::move(matches[i].result));
    return results;
}

SearchResult actionRow(const QString& identity, const QString& title, const QString& host,
                       const QString& url, SearchResultAction action) {
    SearchResult result;
    result.id = stableNegativeID(identity);
    result.filename = rowTitle(title, host);
    result.kind = SearchResultKind::action;
    result.action = action;
    result.actionURLString = url;
    result.snippet = url;
    return result;
}

} // namespace

SearchResult browserTabResult(const BrowserTabShortcut& tab) {
    SearchResult result =
        actionRow(QStringLiteral("action://browser-tab/") + tab.browserBundleIdentifier + u'/' +
                      QString::number(tab.windowIndex) + u'/' + QString::number(tab.tabIndex) +
                      u'/' + tab.urlString,
                  tab.title, tab.host, tab.urlString, SearchResultAction::focusBrowserTab);
    result.directory = tab.browserName + QStringLiteral(" tab");
    if (tab.opensPageInBrowser)
        result.description =
            result.directory + QStringLiteral(" \u00B7 Enter opens the page in ") + tab.browserName;
    result.fallbackActionURLString =
        browserTabFocusTargetURLString(tab.browserBundleIdentifier, tab.windowIndex, tab.tabIndex);
    return result;
}

SearchResult browserBookmarkResult(const BrowserBookmarkShortcut& bookmark) {
    SearchResult result = actionRow(
        QStringLiteral("action://browser-bookmark/") + bookmark.browserName + u'/' +
            bookmark.folderPath + u'/' + bookmark.urlString,
        bookmark.title, bookmark.host, bookmark.urlString, SearchResultAction::openBrowserFavorite);
    result.directory = bookmark.browserName + QStringLiteral(" bookmark");
    if (!bookmark.folderPath.isEmpty())
        result.directory += QStringLiteral(" \u00B7 ") + bookmark.folderPath;
    return result;
}

QList<SearchResult> searchBrowserTabActionResults(const QString& queryLowercased,
                                                  const QList<BrowserTabShortcut>& tabs,
                                                  const LearnedCountLookup& learnedOpenCount) {
    QList<Scored> matches;
    for (const BrowserTabShortcut& tab : tabs) {
        const int s = score(queryLowercased, tab.title.toLower(), tab.host.toLower(),
                            tab.urlString.toLower(), {});
        if (s > 0)
            matches.append({s, browserTabResult(tab)});
    }
    return ranked(std::move(matches), learnedOpenCount);
}

BrowserBookmarkCatalog BrowserBookmarkCatalog::build(QList<BrowserBookmarkShortcut> bookmarks) {
    BrowserBookmarkCatalog catalog;
    catalog.folded.reserve(bookmarks.size());
    QHash<QString, QString> foldedFolders; // many bookmarks share a folder
    for (const BrowserBookmarkShortcut& b : bookmarks) {
        auto folder = foldedFolders.constFind(b.folderPath);
        if (folder == foldedFolders.constEnd())
            folder = foldedFolders.insert(b.folderPath, b.folderPath.toLower());
        catalog.folded.append(
            {b.title.toLower(), b.host.toLower(), b.urlString.toLower(), *folder});
    }
    catalog.bookmarks = std::move(bookmarks);
    return catalog;
}

QList<SearchResult> searchBrowserBookmarkActionResults(const QString& queryLowercased,
                                                       const BrowserBookmarkCatalog& catalog,
                                                       const LearnedCountLookup& learnedOpenCount) {
    QList<Scored> matches;
    for (qsizetype i = 0; i < catalog.bookmarks.size(); ++i) {
        const BrowserBookmarkCatalog::Folded& f = catalog.folded[i];
        const int s = score(queryLowercased, f.title, f.host, f.url, f.folderPath);
        if (s > 0)
            matches.append({s, browserBookmarkResult(catalog.bookmarks[i])});
    }
    return ranked(std::move(matches), learnedOpenCount);
}

} // namespace trovi
