#pragma once
// Result rows for Notion pages, and the normalisation that gives rows stored
// under any earlier address form one identity.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/clients/notion/NotionPage.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace trovi {

// Pages open on the web host; the id is appended.
inline const QString kNotionWebBaseURL = QStringLiteral("https://www.notion.so/");
inline const QString kNotionUsageKeyPrefix = QStringLiteral("notion://page/");

SearchResult notionSearchResult(const NotionPage& page, const QDateTime& now);

// "just now", "5m ago", "2h ago", "yesterday", "3d ago".
QString relativeTimeString(const QDateTime& date, const QDateTime& now);

// The last page id in `text`, without hyphens and lower-cased.
std::optional<QString> canonicalNotionPageID(const QString& text);

// Rebuilds the address, fallback address, usage key and id of a stored Notion
// row; any other row is returned unchanged.
SearchResult normalizedNotionSearchResult(const SearchResult& result);

} // namespace trovi
