#pragma once
// JSON coding of stored search results: the fields every stored result
// shares (the persistent query cache and the recent-activation history), the
// record kept by the persistent query cache, and the fuller object the
// command line prints.

#include "launcher/engine/model/SearchResult.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace trovi {

// The fields of a result as they are stored. Kind and action stay strings so
// that a record written by a newer version (an unknown kind) can be kept.
struct StoredSearchResultFields {
    std::int64_t id = 0;
    QString filename;
    QString directory;
    std::int64_t openCount = 0;
    std::optional<QString> snippet;
    std::optional<std::int64_t> databaseID;
    QString kind;
    std::optional<QString> action;
    std::optional<QString> actionURLString;
    std::optional<QString> fallbackActionURLString;
    bool isDirectPathMatch = false;
    std::optional<QString> usageKey;
    std::optional<QString> title;
    std::optional<QString> keywords;
    std::optional<QString> iconName;
    std::optional<QString> description;

    // Nothing for an unknown kind; an unknown action gives no action. The
    // result is never marked as a recent activation and has no score.
    std::optional<SearchResult> toSearchResult() const;

    bool operator==(const StoredSearchResultFields& other) const = default;
};

// databaseID is taken as the result reports it (a positive id doubles as the
// row id), so that converting back gives an equal result.
StoredSearchResultFields storedSearchResultFields(const SearchResult& result);

// Writes the shared fields into `object`; absent optionals are omitted.
void insertStoredSearchResultFields(QJsonObject& object, const StoredSearchResultFields& fields);

// Nothing when a required field (id, filename, directory, openCount, kind,
// isDirectPathMatch) is missing or any shared field has the wrong JSON type.
// An unknown kind string is kept.
std::optional<StoredSearchResultFields> storedSearchResultFieldsFromJson(const QJsonObject& object);

// The stored record: every field but isRecentActivation; absent optionals are
// omitted. databaseID is written as the result reports it (a positive id
// doubles as the row id), so decoding gives back an equal result.
QJsonObject persistentSearchResultRecord(const SearchResult& result);

// Nothing when a required field (id, filename, directory, openCount, kind,
// isDirectPathMatch) is missing, any field has the wrong JSON type, or the
// kind is not one we know. An unknown action decodes as no action; the
// result is never marked as a recent activation.
std::optional<SearchResult> searchResultFromPersistentRecord(const QJsonObject& record);

// For `trovi query --json`: the stored record plus isRecentActivation,
// fullPath and title (the text a row shows, the file name when nothing else).
QJsonObject searchResultJson(const SearchResult& result);

} // namespace trovi
