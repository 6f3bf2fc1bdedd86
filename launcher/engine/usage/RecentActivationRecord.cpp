#include "launcher/engine/usage/RecentActivationRecord.h"

#include "launcher/core/JsonFields.h"
#include "launcher/core/ReferenceDate.h"

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
    return RecentActivationRecord{storedSearchResultFields(result), activatedAt};
}

QJsonObject RecentActivationRecord::toJson() const {
    QJsonObject object;
    insertStoredSearchResultFields(object, *this);
    object.insert(QStringLiteral("activatedAt"), toReferenceSeconds(activatedAt));
    return object;
}

std::optional<RecentActivationRecord> RecentActivationRecord::fromJson(const QJsonObject& object) {
    auto fields = storedSearchResultFieldsFromJson(object);
    const auto activatedAt = json::requiredReal(object, QStringLiteral("activatedAt"));
    if (!fields || !activatedAt)
        return std::nullopt;
    const QDateTime activationDate = fromReferenceSeconds(*activatedAt);
    if (!activationDate.isValid())
        return std::nullopt;
    return RecentActivationRecord{std::move(*fields), activationDate};
}

bool RecentActivationRecord::hasKnownKind() const {
    return searchResultKindFromString(kind).has_value();
}

QString RecentActivationRecord::usageKeyOrFullPath() const {
    if (usageKey)
        return *usageKey;
    if (const auto result = toSearchResult())
        return result->fullPath();
    return joinPath(directory, filename);
}

} // namespace trovi
