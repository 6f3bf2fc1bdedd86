#pragma once
// The Notion search request's body and the parsing of its answer. Pure
// functions: the HTTP exchange lives in NotionClient.

#include "launcher/clients/notion/NotionPage.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace trovi {

inline constexpr int kNotionSearchPageSize = 12;
// An answer of twelve pages is a few tens of kilobytes; anything past these
// bounds is not a search answer and is dropped rather than held in memory.
inline constexpr qsizetype kNotionMaxReplyBytes = 4 * 1024 * 1024;
inline constexpr qsizetype kNotionMaxParsedResults = 100;

// What came back over HTTP: the status, the header fields as sent, the body.
struct NotionReply {
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};

// Pages of an answer, or why there are none worth telling the user about.
struct NotionSearchOutcome {
    QList<NotionPage> pages;
    QString error; // empty: nothing to report (also for a refused token)
};

// {"query": …, "filter": {"property": "object", "value": "page"}, "page_size": 12}
QByteArray notionSearchRequestBody(const QString& query);

// Pages of a search answer in the API's order, from its first
// kNotionMaxParsedResults elements; anything unreadable gives an empty list,
// an unreadable element is skipped.
QList<NotionPage> parseSearchResponse(const QByteArray& body);

// Only a 200 with a readable body gives pages. A redirect is never followed:
// the token is for the configured server alone, so it is an error that names
// where the server pointed.
NotionSearchOutcome readSearchReply(const NotionReply& reply);

// The concatenated plain text of the first title property that has any.
std::optional<QString> extractTitle(const QJsonObject& properties);
std::optional<NotionPageIcon> extractIcon(const QJsonValue& icon);
// An internet date-time, with or without fractional seconds.
std::optional<QDateTime> parseNotionDate(const QJsonValue& value);

} // namespace trovi
