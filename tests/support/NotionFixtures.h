#pragma once
// A Notion search answer with the cases that matter: an emoji icon and a date
// with fractional seconds, an external icon and a date without them, an empty
// title, a page without an address, and a title in two non-ASCII parts.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace trovi::test {

inline constexpr auto kRoadmapPageID = "0123abcd-0000-4000-8000-00000000000a";
inline constexpr auto kPlanPageID = "0123abcd-0000-4000-8000-00000000000b";
inline const QString kNotionTestToken = QStringLiteral("ntn_SECRET_test_token_4242");

inline QJsonObject notionTestPage(const QString& id, const QStringList& titleParts,
                                  const QJsonValue& url,
                                  const QJsonValue& icon = QJsonValue::Undefined,
                                  const QJsonValue& edited = QJsonValue::Undefined) {
    QJsonArray parts;
    for (const QString& part : titleParts)
        parts.append(QJsonObject{{QStringLiteral("plain_text"), part}});
    QJsonObject page{
        {QStringLiteral("id"), id},
        {QStringLiteral("properties"),
         QJsonObject{
             {QStringLiteral("Tags"), QJsonObject{{QStringLiteral("type"), "multi_select"}}},
             {QStringLiteral("Name"),
              QJsonObject{{QStringLiteral("type"), "title"}, {QStringLiteral("title"), parts}}}}}};
    if (!url.isUndefined())
        page.insert(QStringLiteral("url"), url);
    if (!icon.isUndefined())
        page.insert(QStringLiteral("icon"), icon);
    if (!edited.isUndefined())
        page.insert(QStringLiteral("last_edited_time"), edited);
    return page;
}

inline QByteArray notionTestResponse() {
    const QString plan = QString::fromLatin1(kPlanPageID);
    const QJsonArray results{
        notionTestPage(
            QString::fromLatin1(kRoadmapPageID), {QStringLiteral("Roadmap 2027")},
            QStringLiteral("https://www.notion.so/Roadmap-2027-0123abcd00004000800000000000000a"),
            QJsonObject{{"type", "emoji"}, {"emoji", QStringLiteral("🗺")}},
            QStringLiteral("2026-03-01T11:58:30.000Z")),
        notionTestPage(
            plan, {QStringLiteral("Plan")},
            QString(QStringLiteral("https://www.notion.so/") + QString(plan).remove(u'-')),
            QJsonObject{{"type", "external"},
                        {"external", QJsonObject{{"url", "https://x.test/i.png"}}}},
            QStringLiteral("2026-02-28T06:00:00Z")),
        notionTestPage(QStringLiteral("0123abcd-0000-4000-8000-00000000000c"), {QString()},
                       QStringLiteral("https://www.notion.so/c")),
        notionTestPage(QStringLiteral("0123abcd-0000-4000-8000-00000000000d"),
                       {QStringLiteral("No address")}, QJsonValue::Undefined),
        notionTestPage(QStringLiteral("0123abcd-0000-4000-8000-00000000000e"),
                       {QStringLiteral("Zürich – "), QStringLiteral("東京 Notizen")},
                       QStringLiteral("https://www.notion.so/e")),
    };
    return QJsonDocument(QJsonObject{{QStringLiteral("object"), "list"},
                                     {QStringLiteral("results"), results}})
        .toJson(QJsonDocument::Compact);
}

} // namespace trovi::test
