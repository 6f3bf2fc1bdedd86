#pragma once
// Matching a query against the tab and bookmark catalogues: 4 for a title or
// host equal to it, 3 for one beginning with it, 2 for one containing it (a
// bookmark's folder path counts here too), 1 for the address containing it;
// then by learned use and title, best 50.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"

#include <functional>

namespace trovi {

using LearnedCountLookup = std::function<std::int64_t(const SearchResult&)>;

// Bookmarks with their lower-cased fields prepared once per refresh, so a
// keystroke compares only.
struct BrowserBookmarkCatalog {
    QList<BrowserBookmarkShortcut> bookmarks;
    struct Folded {
        QString title, host, url, folderPath;
    };
    QList<Folded> folded;

    static BrowserBookmarkCatalog build(QList<BrowserBookmarkShortcut> bookmarks);
    qsizetype size() const { return bookmarks.size(); }
};

SearchResult browserTabResult(const BrowserTabShortcut& tab);
SearchResult browserBookmarkResult(const BrowserBookmarkShortcut& bookmark);

QList<SearchResult> searchBrowserTabActionResults(const QString& queryLowercased,
                                                  const QList<BrowserTabShortcut>& tabs,
                                                  const LearnedCountLookup& learnedOpenCount);
QList<SearchResult> searchBrowserBookmarkActionResults(const QString& queryLowercased,
                                                       const BrowserBookmarkCatalog& catalog,
                                                       const LearnedCountLookup& learnedOpenCount);

} // namespace trovi
