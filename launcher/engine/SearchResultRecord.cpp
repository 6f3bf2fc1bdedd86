#include "launcher/engine/SearchResultRecord.h"

#include "launcher/engine/JsonFields.h"

namespace trovi {

namespace {
void insertIfPresent(QJsonObject& object, const QString& key, const std::optional<QString>& value) {
    if (value)
        object.insert(key, *value);
}

void insertIfPresent(QJsonObject& object, const QString& key,
                     const std::optional<std::int64_t>& value) {
    if (value)
        object.insert(key, qint64(*value));
}
} // namespace

QJsonObject persistentSearchResultRecord(const SearchResult& result) {
    QJsonObject record;
    record.insert(QStringLiteral("id"), qint64(result.id));
    record.insert(QStringLiteral("filename"), result.filename);
    record.insert(QStringLiteral("directory"), result.directory);
    record.insert(QStringLiteral("openCount"), qint64(result.openCount));
    insertIfPresent(record, QStringLiteral("snippet"), result.snippet);
    insertIfPresent(record, QStringLiteral("databaseID"), result.databaseID());
    record.insert(QStringLiteral("kind"), toString(result.kind));
    if (result.action)
        record.insert(QStringLiteral("action"), toString(*result.action));
    insertIfPresent(record, QStringLiteral("actionURLString"), result.actionURLString);
    insertIfPresent(record, QStringLiteral("fallbackActionURLString"),
                    result.fallbackActionURLString);
    record.insert(QStringLiteral("isDirectPathMatch"), result.isDirectPathMatch);
    insertIfPresent(record, QStringLiteral("usageKey"), result.usageKey);
    insertIfPresent(record, QStringLiteral("relevanceScore"), result.relevanceScore);
    return record;
}

std::optional<SearchResult> searchResultFromPersistentRecord(const QJsonObject& record) {
    const auto id = json::requiredInteger(record, QStringLiteral("id"));
    const auto filename = json::requiredString(record, QStringLiteral("filename"));
    const auto directory = json::requiredString(record, QStringLiteral("directory"));
    const auto openCount = json::requiredInteger(record, QStringLiteral("openCount"));
    const auto kindName = json::requiredString(record, QStringLiteral("kind"));
    const auto isDirectPathMatch = json::requiredBool(record, QStringLiteral("isDirectPathMatch"));
    if (!id || !filename || !directory || !openCount || !kindName || !isDirectPathMatch)
        return std::nullopt;

    const auto snippet = json::optionalString(record, QStringLiteral("snippet"));
    const auto databaseID = json::optionalInteger(record, QStringLiteral("databaseID"));
    const auto actionName = json::optionalString(record, QStringLiteral("action"));
    const auto actionURL = json::optionalString(record, QStringLiteral("actionURLString"));
    const auto fallbackURL =
        json::optionalString(record, QStringLiteral("fallbackActionURLString"));
    const auto usageKey = json::optionalString(record, QStringLiteral("usageKey"));
    const auto relevanceScore = json::optionalInteger(record, QStringLiteral("relevanceScore"));
    if (!snippet.ok || !databaseID.ok || !actionName.ok || !actionURL.ok || !fallbackURL.ok ||
        !usageKey.ok || !relevanceScore.ok)
        return std::nullopt;

    const auto kind = searchResultKindFromString(*kindName);
    if (!kind)
        return std::nullopt;

    SearchResult result;
    result.id = *id;
    result.filename = *filename;
    result.directory = *directory;
    result.openCount = *openCount;
    result.snippet = snippet.value;
    result.givenDatabaseID = databaseID.value;
    result.kind = *kind;
    if (actionName.value)
        result.action = searchResultActionFromString(*actionName.value);
    result.actionURLString = actionURL.value;
    result.fallbackActionURLString = fallbackURL.value;
    result.isDirectPathMatch = *isDirectPathMatch;
    result.usageKey = usageKey.value;
    result.isRecentActivation = false;
    result.relevanceScore = relevanceScore.value;
    return result;
}

QJsonObject searchResultJson(const SearchResult& result) {
    QJsonObject object = persistentSearchResultRecord(result);
    object.insert(QStringLiteral("isRecentActivation"), result.isRecentActivation);
    object.insert(QStringLiteral("fullPath"), result.fullPath());
    return object;
}

} // namespace trovi
