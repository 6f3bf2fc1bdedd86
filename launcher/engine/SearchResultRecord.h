#pragma once
// JSON coding of stored search results: the record kept by the persistent
// query cache, and the fuller object the command line prints.

#include "launcher/engine/SearchResult.h"

#include <QJsonObject>

#include <optional>

namespace trovi {

// The stored record: every field but isRecentActivation; absent optionals are
// omitted. databaseID is written as the result reports it (a positive id
// doubles as the row id), so decoding gives back an equal result.
QJsonObject persistentSearchResultRecord(const SearchResult& result);

// Nothing when a required field (id, filename, directory, openCount, kind,
// isDirectPathMatch) is missing, any field has the wrong JSON type, or the
// kind is not one we know. An unknown action decodes as no action; the
// result is never marked as a recent activation.
std::optional<SearchResult> searchResultFromPersistentRecord(const QJsonObject& record);

// For `trovi query --json`: the stored record plus isRecentActivation and
// fullPath.
QJsonObject searchResultJson(const SearchResult& result);

} // namespace trovi
