#pragma once
// A Notion search answer with the cases that matter: an emoji icon and a date
// with fractional seconds, an external icon and a date without them, an empty
// title, a page without an address, and a title in two non-ASCII parts.

#include <QByteArray>
#include <QString>

namespace trovi::test {

inline constexpr auto kRoadmapPageID = "0123abcd-0000-4000-8000-00000000000a";
inline const QString kNotionTestToken = QStringLiteral("ntn_SECRET_test_token_4242");

inline QByteArray notionTestResponse() {
    return QByteArray(R"({"object": "list", "results": [
{"id": "0123abcd-0000-4000-8000-00000000000a", "url": "https://www.notion.so/Roadmap-2027-0123abcd00004000800000000000000a",
 "icon": {"type": "emoji", "emoji": "🗺"}, "last_edited_time": "2026-03-01T11:58:30.000Z",
 "properties": {"Tags": {"type": "multi_select"}, "Name": {"type": "title", "title": [{"plain_text": "Roadmap 2027"}]}}},
{"id": "0123abcd-0000-4000-8000-00000000000b", "url": "https://www.notion.so/0123abcd00004000800000000000000b",
 "icon": {"type": "external", "external": {"url": "https://x.test/i.png"}}, "last_edited_time": "2026-02-28T06:00:00Z",
 "properties": {"Name": {"type": "title", "title": [{"plain_text": "Plan"}]}}},
{"id": "0123abcd-0000-4000-8000-00000000000c", "url": "https://www.notion.so/c",
 "properties": {"Name": {"type": "title", "title": [{"plain_text": ""}]}}},
{"id": "0123abcd-0000-4000-8000-00000000000d",
 "properties": {"Name": {"type": "title", "title": [{"plain_text": "No address"}]}}},
{"id": "0123abcd-0000-4000-8000-00000000000e", "url": "https://www.notion.so/e",
 "properties": {"Name": {"type": "title", "title": [{"plain_text": "Zürich – "}, {"plain_text": "東京 Notizen"}]}}}
]})");
}

} // namespace trovi::test
