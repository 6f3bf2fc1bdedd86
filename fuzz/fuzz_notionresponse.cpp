// Notion's search answers come over the network and may come from a proxy.
#include "launcher/engine/sources/notion/NotionRows.h"
#include "launcher/clients/notion/NotionResponse.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1780000000, Qt::UTC);
    for (const trovi::NotionPage& page : trovi::parseSearchResponse(body)) {
        const trovi::SearchResult row = trovi::notionSearchResult(page, now);
        // A page with a well-formed id keeps its identity when read back.
        const QString id = QString(page.id).remove(u'-').toLower();
        if (trovi::canonicalNotionPageID(page.id) == id &&
            trovi::normalizedNotionSearchResult(row).usageKey != row.usageKey)
            __builtin_trap();
    }
    return 0;
}
