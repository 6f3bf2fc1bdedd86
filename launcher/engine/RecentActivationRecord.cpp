#include "launcher/engine/RecentActivationRecord.h"

#include "launcher/engine/JsonFields.h"
#include "launcher/engine/ReferenceDate.h"

namespace trovi {

bool RecentActivationRecord::shouldPersist(const SearchResult& result) {
    switch (result.kind) {
    case SearchResultKind::app:
    case SearchResultKind::folder:
        return true;
    case SearchResultKind::file:
        return result.usageKey.has_value();
    case SearchResultKind::action:
        return result.action == SearchResultAction::openBrowserFavorite ||
               result.action == SearchResultAction::openNotionPage;
    }
    return false;
}

std::optional<RecentActivationRecord> RecentActivationRecord::make(const SearchResult& result,
                                                                   const QDateTime& activatedAt) {
    if (!shouldPersist(result))
        return std::nullopt;
    RecentActivationRecord record;
    record.id = result.id;
    record.filename = result.filename;
    record.directory = result.directory;
    record.openCount = result.openCount;
    record.snippet = result.snippet;
    record.databaseID = result.databaseID();
    record.kind = toString(result.kind);
    if (result.action)
        record.action = toString(*result.action);
    record.actionURLString = result.actionURLString;
    record.fallbackActionURLString = result.fallbackActionURLString;
    record.isDirectPathMatch = result.isDirectPathMatch;
    record.usageKey = result.usageKey;
    record.activatedAt = activatedAt;
    return record;
}

QJsonObject RecentActivationRecord::toJson() const {
    QJsonObject object;
    object.insert(QStringLiteral("id"), qint64(id));
    object.insert(QStringLiteral("filename"), filename);
    object.insert(QStringLiteral("directory"), directory);
    object.insert(QStringLiteral("openCount"), qint64(openCount));
    if (snippet)
        object.insert(QStringLiteral("snippet"), *snippet);
    if (databaseID)
        object.insert(QStringLiteral("databaseID"), qint64(*databaseID));
    object.insert(QStringLiteral("kind"), kind);
    if (action)
        object.insert(QStringLiteral("action"), *action);
    if (actionURLString)
        object.insert(QStringLiteral("actionURLString"), *actionURLString);
    if (fallbackActionURLString)
        object.insert(QStringLiteral("fallbackActionURLString"), *fallbackActionURLString);
    object.insert(QStringLiteral("isDirectPathMatch"), isDirectPathMatch);
    if (usageKey)
        object.insert(QStringLiteral("usageKey"), *usageKey);
    object.insert(QStringLiteral("activatedAt"), toReferenceSeconds(activatedAt));
    return object;
}

std::optional<RecentActivationRecord> RecentActivationRecord::fromJson(const QJsonObject& object) {
    const auto id = json::requiredInteger(object, QStringLiteral("id"));
    const auto filename = json::requiredString(object, QStringLiteral("filename"));
    const auto directory = json::requiredString(object, QStringLiteral("directory"));
    const auto openCount = json::requiredInteger(object, QStringLiteral("openCount"));
    const auto kindName = json::requiredString(object, QStringLiteral("kind"));
    const auto isDirectPathMatch = json::requiredBool(object, QStringLiteral("isDirectPathMatch"));
    const auto activatedAt = json::requiredReal(object, QStringLiteral("activatedAt"));
    if (!id || !filename || !directory || !openCount || !kindName || !isDirectPathMatch ||
        !activatedAt)
        return std::nullopt;
    const QDateTime activationDate = fromReferenceSeconds(*activatedAt);
    if (!activationDate.isValid())
        return std::nullopt;

    const auto snippet = json::optionalString(object, QStringLiteral("snippet"));
    const auto databaseID = json::optionalInteger(object, QStringLiteral("databaseID"));
    const auto actionName = json::optionalString(object, QStringLiteral("action"));
    const auto actionURL = json::optionalString(object, QStringLiteral("actionURLString"));
    const auto fallbackURL =
        json::optionalString(object, QStringLiteral("fallbackActionURLString"));
    const auto usageKey = json::optionalString(object, QStringLiteral("usageKey"));
    if (!snippet.ok || !databaseID.ok || !actionName.ok || !actionURL.ok || !fallbackURL.ok ||
        !usageKey.ok)
        return std::nullopt;

    RecentActivationRecord record;
    record.id = *id;
    record.filename = *filename;
    record.directory = *directory;
    record.openCount = *openCount;
    record.snippet = snippet.value;
    record.databaseID = databaseID.value;
    record.kind = *kindName;
    record.action = actionName.value;
    record.actionURLString = actionURL.value;
    record.fallbackActionURLString = fallbackURL.value;
    record.isDirectPathMatch = *isDirectPathMatch;
    record.usageKey = usageKey.value;
    record.activatedAt = activationDate;
    return record;
}

bool RecentActivationRecord::hasKnownKind() const {
    return searchResultKindFromString(kind).has_value();
}

std::optional<SearchResult> RecentActivationRecord::toSearchResult() const {
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
    return result;
}

QString RecentActivationRecord::usageKeyOrFullPath() const {
    if (usageKey)
        return *usageKey;
    if (const auto result = toSearchResult())
        return result->fullPath();
    return joinPath(directory, filename);
}

} // namespace trovi
