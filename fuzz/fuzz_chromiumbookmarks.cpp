// Bookmark files are written by the browser and synced from other machines.
#include "launcher/engine/sources/browser/ChromiumBookmarks.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray contents(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const trovi::BrowserBookmarkShortcut& bookmark :
         trovi::parseChromiumBookmarkContents(contents, QStringLiteral("Chrome")))
        if (!QUrl(bookmark.urlString).isValid())
            __builtin_trap(); // only bookmarks that can be opened
    return 0;
}
