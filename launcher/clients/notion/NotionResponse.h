#pragma once
// The Notion search request's body and the parsing of its answer. Pure
// functions: the HTTP exchange lives in NotionClient.

#include "launcher/clients/notion/NotionPage.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>

#include <optional>

namespace trovi {

inline constexpr int kNotionSearchPageSize = 12;

// {"query": …, "filter": {"property": "object", "value": "page"}, "page_size": 12}
QByteArray notionSearchRequestBody(const QString& query);

// Pages of a search answer in the API's order; anything unreadable gives an
// empty list, an unreadable element is skipped.
QList<NotionPage> parseSearchResponse(const QByteArray& body);

// The concatenated plain text of the first title property that has any.
std::optional<QString> extractTitle(const QJsonObject& properties);
std::optional<NotionPageIcon> extractIcon(const QJsonValue& icon);
// An internet date-time, with or without fractional seconds.
std::optional<QDateTime> parseNotionDate(const QJsonValue& value);

} // namespace trovi
