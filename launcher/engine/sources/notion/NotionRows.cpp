#include "launcher/engine/sources/notion/NotionRows.h"

#include <QRegularExpression>

namespace trovi {

namespace {

void applyPageIdentity(SearchResult& row, const QString& pageID) {
    row.actionURLString = kNotionWebBaseURL + pageID;
    const QString usageKey = kNotionUsageKeyPrefix + pageID;
    row.usageKey = usageKey;
    row.id = stableNegativeID(usageKey);
    row.givenDatabaseID = row.id > 0 ? std::optional(row.id) : std::nullopt;
}

} // namespace

QString relativeTimeString(const QDateTime& date, const QDateTime& now) {
    const qint64 age = date.secsTo(now);
    if (age < 60)
        return QStringLiteral("just now");
    if (age < 3600)
        return QStringLiteral("%1m ago").arg(age / 60);
    if (age < 86400)
        return QStringLiteral("%1h ago").arg(age / 3600);
    const qint64 days = age / 86400;
    return days == 1 ? QStringLiteral("yesterday") : QStringLiteral("%1d ago").arg(days);
}

SearchResult notionSearchResult(const NotionPage& page, const QDateTime& now) {
    const QString pageID = page.id.toLower().remove(u'-');
    SearchResult row;
    row.filename = page.icon && page.icon->kind == NotionPageIcon::Kind::emoji
                       ? page.icon->value + u' ' + page.title
                       : page.title;
    row.directory = page.lastEditedTime ? QStringLiteral("Notion · ") +
                                              relativeTimeString(*page.lastEditedTime, now)
                                        : QStringLiteral("Notion");
    row.kind = SearchResultKind::action;
    row.action = SearchResultAction::openNotionPage;
    applyPageIdentity(row, pageID);
    if (page.url != *row.actionURLString)
        row.fallbackActionURLString = page.url;
    return row;
}

std::optional<QString> canonicalNotionPageID(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        "[0-9A-Fa-f]{8}-?[0-9A-Fa-f]{4}-?[0-9A-Fa-f]{4}-?[0-9A-Fa-f]{4}-?[0-9A-Fa-f]{12}"));
    std::optional<QString> last;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        last = it.next().captured();
    if (!last)
        return std::nullopt;
    return last->remove(u'-').toLower();
}

SearchResult normalizedNotionSearchResult(const SearchResult& result) {
    if (result.action != SearchResultAction::openNotionPage)
        return result;
    std::optional<QString> pageID;
    for (const auto& candidate :
         {result.usageKey, result.actionURLString, result.fallbackActionURLString}) {
        if (candidate && (pageID = canonicalNotionPageID(*candidate)))
            break;
    }
    if (!pageID)
        return result;
    SearchResult row = result;
    applyPageIdentity(row, *pageID);
    if (result.actionURLString && *result.actionURLString != *row.actionURLString)
        row.fallbackActionURLString = result.actionURLString;
    return row;
}

} // namespace trovi
