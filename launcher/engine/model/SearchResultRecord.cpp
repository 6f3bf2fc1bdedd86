#include "launcher/engine/model/SearchResultRecord.h"

#include "launcher/core/JsonFields.h"

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

StoredSearchResultFields storedSearchResultFields(const SearchResult& result) {
    StoredSearchResultFields fields;
    fields.id = result.id;
    fields.filename = result.filename;
    fields.directory = result.directory;
    fields.openCount = result.openCount;
    fields.snippet = result.snippet;
    fields.databaseID = result.databaseID();
    fields.kind = toString(result.kind);
    if (result.action)
        fields.action = toString(*result.action);
    fields.actionURLString = result.actionURLString;
    fields.fallbackActionURLString = result.fallbackActionURLString;
    fields.isDirectPathMatch = result.isDirectPathMatch;
    fields.usageKey = result.usageKey;
    fields.title = result.title;
    fields.keywords = result.keywords;
    fields.iconName = result.iconName;
    fields.description = result.description;
    return fields;
}

std::optional<SearchResult> StoredSearchResultFields::toSearchResult() const {
    const auto knownKind = searchResultKindFromString(kind);
    if (!knownKind)
        return std::nullopt;
    SearchResult result;
    result.id = id;
    result.filename = filename;
    result.directory = directory;
    result.openCount = openCount;
    result.snippet = snippet;
    result.givenDatabaseID = databaseID;
    result.kind = *knownKind;
    if (action)
        result.action = searchResultActionFromString(*action);
    result.actionURLString = actionURLString;
    result.fallbackActionURLString = fallbackActionURLString;
    result.isDirectPathMatch = isDirectPathMatch;
    result.usageKey = usageKey;
    result.title = title;
    result.keywords = keywords;
    result.iconName = iconName;
    result.description = description;
    result.isRecentActivation = false;
    return result;
}

void insertStoredSearchResultFields(QJsonObject& object, const StoredSearchResultFields& fields) {
    object.insert(QStringLiteral("id"), qint64(fields.id));
    object.insert(QStringLiteral("filename"), fields.filename);
    object.insert(QStringLiteral("directory"), fields.directory);
    object.insert(QStringLiteral("openCount"), qint64(fields.openCount));
    insertIfPresent(object, QStringLiteral("snippet"), fields.snippet);
    insertIfPresent(object, QStringLiteral("databaseID"), fields.databaseID);
    object.insert(QStringLiteral("kind"), fields.kind);
    insertIfPresent(object, QStringLiteral("action"), fields.action);
    insertIfPresent(object, QStringLiteral("actionURLString"), fields.actionURLString);
    insertIfPresent(object, QStringLiteral("fallbackActionURLString"),
                    fields.fallbackActionURLString);
    object.insert(QStringLiteral("isDirectPathMatch"), fields.isDirectPathMatch);
    insertIfPresent(object, QStringLiteral("usageKey"), fields.usageKey);
    insertIfPresent(object, QStringLiteral("title"), fields.title);
    insertIfPresent(object, QStringLiteral("keywords"), fields.keywords);
    insertIfPresent(object, QStringLiteral("iconName"), fields.iconName);
    insertIfPresent(object, QStringLiteral("description"), fields.description);
}

std::optional<StoredSearchResultFields>
storedSearchResultFieldsFromJson(const QJsonObject& object) {
    const auto id = json::requiredInteger(object, QStringLiteral("id"));
    const auto filename = json::requiredString(object, QStringLiteral("filename"));
    const auto directory = json::requiredString(object, QStringLiteral("directory"));
    const auto openCount = json::requiredInteger(object, QStringLiteral("openCount"));
    const auto kind = json::requiredString(object, QStringLiteral("kind"));
    const auto isDirectPathMatch = json::requiredBool(object, QStringLiteral("isDirectPathMatch"));
    if (!id || !filename || !directory || !openCount || !kind || !isDirectPathMatch)
        return std::nullopt;

    const auto snippet = json::optionalString(object, QStringLiteral("snippet"));
    const auto databaseID = json::optionalInteger(object, QStringLiteral("databaseID"));
    const auto action = json::optionalString(object, QStringLiteral("action"));
    const auto actionURL = json::optionalString(object, QStringLiteral("actionURLString"));
    const auto fallbackURL =
        json::optionalString(object, QStringLiteral("fallbackActionURLString"));
    const auto usageKey = json::optionalString(object, QStringLiteral("usageKey"));
    const auto title = json::optionalString(object, QStringLiteral("title"));
    const auto keywords = json::optionalString(object, QStringLiteral("keywords"));
    const auto iconName = json::optionalString(object, QStringLiteral("iconName"));
    const auto description = json::optionalString(object, QStringLiteral("description"));
    if (!snippet.ok || !databaseID.ok || !action.ok || !actionURL.ok || !fallbackURL.ok ||
        !usageKey.ok || !title.ok || !keywords.ok || !iconName.ok || !description.ok)
        return std::nullopt;

    StoredSearchResultFields fields;
    fields.id = *id;
    fields.filename = *filename;
    fields.directory = *directory;
    fields.openCount = *openCount;
    fields.snippet = snippet.value;
    fields.databaseID = databaseID.value;
    fields.kind = *kind;
    fields.action = action.value;
    fields.actionURLString = actionURL.value;
    fields.fallbackActionURLString = fallbackURL.value;
    fields.isDirectPathMatch = *isDirectPathMatch;
    fields.usageKey = usageKey.value;
    fields.title = title.value;
    fields.keywords = keywords.value;
    fields.iconName = iconName.value;
    fields.description = description.value;
    return fields;
}

QJsonObject persistentSearchResultRecord(const SearchResult& result) {
    QJsonObject record;
    insertStoredSearchResultFields(record, storedSearchResultFields(result));
    insertIfPresent(record, QStringLiteral("relevanceScore"), result.relevanceScore);
    return record;
}

std::optional<SearchResult> searchResultFromPersistentRecord(const QJsonObject& record) {
    const auto fields = storedSearchResultFieldsFromJson(record);
    const auto relevanceScore = json::optionalInteger(record, QStringLiteral("relevanceScore"));
    if (!fields || !relevanceScore.ok)
        return std::nullopt;
    auto result = fields->toSearchResult();
    if (result)
        result->relevanceScore = relevanceScore.value;
    return result;
}

QJsonObject searchResultJson(const SearchResult& result) {
    QJsonObject object = persistentSearchResultRecord(result);
    object.insert(QStringLiteral("isRecentActivation"), result.isRecentActivation);
    object.insert(QStringLiteral("fullPath"), result.fullPath());
    object.insert(QStringLiteral("title"), result.displayName());
    return object;
}

} // namespace trovi
