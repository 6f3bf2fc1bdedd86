#pragma once
// RecentActivationRecord: one entry of the recent-activation history, its
// JSON form, which results are worth remembering, and the way back to a
// SearchResult.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/model/SearchResultRecord.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace trovi {

// The stored fields (id, filename, directory, openCount, snippet, databaseID,
// kind, action, URLs, isDirectPathMatch, usageKey) and toSearchResult() are
// shared with the persistent query cache's records.
struct RecentActivationRecord : StoredSearchResultFields {
    QDateTime activatedAt;

    // Apps and folders always; files only with a usage key (shortcut files);
    // actions only for bookmarks and Notion pages.
    static bool shouldPersist(const SearchResult& result);

    // Nothing when the result is not worth remembering.
    static std::optional<RecentActivationRecord> make(const SearchResult& result,
                                                      const QDateTime& activatedAt);

    // Absent optionals are omitted; activatedAt is seconds since 2001-01-01 UTC.
    QJsonObject toJson() const;

    // Nothing when id, filename, directory, openCount, kind,
    // isDirectPathMatch or activatedAt is missing, or a field has the wrong
    // JSON type. An unknown kind string is kept.
    static std::optional<RecentActivationRecord> fromJson(const QJsonObject& object);

    // True when kind is one of the four known kinds.
    bool hasKnownKind() const;

    // The usage key, or the full path when there is none. Only meaningful for
    // records of a known kind.
    QString usageKeyOrFullPath() const;

    bool operator==(const RecentActivationRecord& other) const = default;
};

} // namespace trovi
