#include "launcher/clients/notion/NotionResponse.h"

#include "launcher/core/JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <algorithm>

namespace trovi {

QByteArray notionSearchRequestBody(const QString& query) {
    const QJsonObject filter{{QStringLiteral("property"), QStringLiteral("object")},
                             {QStringLiteral("value"), QStringLiteral("page")}};
    const QJsonObject body{{QStringLiteral("query"), query},
                           {QStringLiteral("filter"), filter},
                           {QStringLiteral("page_size"), kNotionSearchPageSize}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

std::optional<QString> extractTitle(const QJsonObject& properties) {
    for (const QJsonValue& value : properties) {
        const QJsonObject property = value.toObject();
        if (property.value(QStringLiteral("type")).toString() != QStringLiteral("title"))
            continue;
        const QJsonValue parts = property.value(QStringLiteral("title"));
        if (!parts.isArray())
            continue;
        QString title;
        for (const QJsonValue& part : parts.toArray())
            title += part.toObject().value(QStringLiteral("plain_text")).toString();
        if (!title.isEmpty())
            return title;
    }
    return std::nullopt;
}

std::optional<NotionPageIcon> extractIcon(const QJsonValue& icon) {
    const QJsonObject object = icon.toObject();
    const QString type = object.value(QStringLiteral("type")).toString();
    if (type == QStringLiteral("emoji")) {
        const QJsonValue emoji = object.value(QStringLiteral("emoji"));
        if (emoji.isString())
            return NotionPageIcon{NotionPageIcon::Kind::emoji, emoji.toString()};
    } else if (type == QStringLiteral("external")) {
        const QJsonValue url =
            object.value(QStringLiteral("external")).toObject().value(QStringLiteral("url"));
        if (url.isString())
            return NotionPageIcon{NotionPageIcon::Kind::external, url.toString()};
    }
    return std::nullopt;
}

std::optional<QDateTime> parseNotionDate(const QJsonValue& value) {
    const QString text = value.toString();
    // A date-time, not a bare date.
    if (!text.contains(u'T'))
        return std::nullopt;
    for (Qt::DateFormat format : {Qt::ISODateWithMs, Qt::ISODate}) {
        const QDateTime date = QDateTime::fromString(text, format);
        if (date.isValid())
            return date.toUTC();
    }
    return std::nullopt;
}

QList<NotionPage> parseSearchResponse(const QByteArray& body) {
    const std::optional<QJsonObject> document = json::objectFromBytes(body);
    if (!document)
        return {};
    const QJsonValue results = document->value(QStringLiteral("results"));
    if (!results.isArray())
        return {};
    const QJsonArray all = results.toArray();
    const qsizetype count = std::min(all.size(), kNotionMaxParsedResults);
    // A list of objects or nothing at all.
    for (qsizetype i = 0; i < count; ++i) {
        if (!all.at(i).isObject())
            return {};
    }
    QList<NotionPage> pages;
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonObject object = all.at(i).toObject();
        const QJsonValue id = object.value(QStringLiteral("id"));
        const QJsonValue url = object.value(QStringLiteral("url"));
        if (!id.isString() || !url.isString())
            continue;
        std::optional<QString> title =
            extractTitle(object.value(QStringLiteral("properties")).toObject());
        if (!title)
            continue;
        pages.append(NotionPage{id.toString(), *title, url.toString(),
                                extractIcon(object.value(QStringLiteral("icon"))),
                                parseNotionDate(object.value(QStringLiteral("last_edited_time")))});
    }
    return pages;
}

namespace {

// Where a redirect pointed, reduced to its origin and to printable ASCII: it
// comes from the server and is written to a terminal.
QString redirectOrigin(const NotionReply& reply) {
    QByteArray location;
    for (const auto& [name, value] : reply.headers)
        if (name.compare("location", Qt::CaseInsensitive) == 0)
            location = value;
    const QUrl url(QString::fromUtf8(location.left(2048)));
    QString origin = url.isValid() && !url.host().isEmpty()
                         ? url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                        QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                               .toString(QUrl::FullyEncoded)
                         : QStringLiteral("another address");
    origin.removeIf([](QChar c) { return c.unicode() < 0x21 || c.unicode() > 0x7e; });
    return origin.left(200);
}

} // namespace

NotionSearchOutcome readSearchReply(const NotionReply& reply) {
    if (reply.status >= 300 && reply.status < 400)
        return {{},
                QStringLiteral("Notion search was redirected to %1 (HTTP %2); redirects are not "
                               "followed, so the token only goes to the configured server")
                    .arg(redirectOrigin(reply))
                    .arg(reply.status)};
    if (reply.body.size() > kNotionMaxReplyBytes)
        return {{},
                QStringLiteral("Notion's answer was larger than %1 MB and was dropped")
                    .arg(kNotionMaxReplyBytes / (1024 * 1024))};
    if (reply.status != 200)
        return {};
    return {parseSearchResponse(reply.body), {}};
}

} // namespace trovi
