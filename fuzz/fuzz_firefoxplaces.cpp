// Firefox's bookmark rows: folders may name missing or circular parents, and
// titles and addresses come from any page. A few small ids make parents meet.
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QUrl>

#include <cstddef>
#include <cstdint>

namespace {

QString text(FuzzedDataProvider& input) {
    return QString::fromStdString(input.ConsumeRandomLengthString(64));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QStringList guids{"root________", "menu________", "toolbar_____",
                                   "tags________", "unfiled_____", "mobile______"};
    FuzzedDataProvider input(data, size);
    QList<trovi::FirefoxPlacesRow> rows;
    while (input.remaining_bytes() > 0 && rows.size() < 512) {
        trovi::FirefoxPlacesRow row;
        row.id = input.ConsumeIntegralInRange<qint64>(0, 40);
        row.type = input.ConsumeIntegralInRange<qint64>(0, 3);
        row.parent = input.ConsumeIntegralInRange<qint64>(0, 40);
        row.title = text(input);
        const auto guid = input.ConsumeIntegralInRange<qsizetype>(0, guids.size());
        row.guid = guid < guids.size() ? guids[guid] : text(input);
        row.url = text(input);
        rows.append(row);
    }
    for (const trovi::BrowserBookmarkShortcut& bookmark :
         trovi::firefoxBookmarksFromRows(rows, QStringLiteral("Firefox")))
        if (!QUrl(bookmark.urlString).isValid())
            __builtin_trap(); // only bookmarks that can be opened
    return 0;
}
