#include "launcher/clients/notion/NotionResponse.h"

#include "launcher/core/JsonFields.h"

#include <QJsonArray>
#include <QJsonDocument>

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
    const QJsonArray elements = results.toArray();
    // A list of objects or nothing at all.
    for (const QJsonValue& element : elements) {
        if (!element.isObject())
            return {};
    }
    QList<NotionPage> pages;
    for (const QJsonValue& element : elements) {
        const QJsonObject object = element.toObject();
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

} // namespace trovi
