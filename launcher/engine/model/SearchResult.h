#pragma once
// SearchResult: the one record every source answers with, its closed
// enumerations, its derived full path and identity, and the stable negative
// identifiers given to results that have no document-index row.

#include <QString>
#include <QStringView>
#include <QTypeInfo>

#include <cstdint>
#include <limits>
#include <optional>

namespace trovi {

// Counts come from stores a user or another program may have edited: one more
// than the largest count stays the largest count.
constexpr std::int64_t saturatingIncrement(std::int64_t count) {
    return count < std::numeric_limits<std::int64_t>::max() ? count + 1 : count;
}

enum class SearchResultKind { file, app, folder, action };

enum class SearchResultAction {
    openSettings,
    openSystemSettings,
    focusBrowserTab,
    openBrowserFavorite,
    copyToClipboard,
    openNotionPage,
};

enum class ResultActivationMode { open, revealInFileBrowser };

QString toString(SearchResultKind kind);
std::optional<SearchResultKind> searchResultKindFromString(QStringView text);
QString toString(SearchResultAction action);
std::optional<SearchResultAction> searchResultActionFromString(QStringView text);

struct SearchResult {
    std::int64_t id = 0;
    QString filename;
    QString directory;
    std::int64_t openCount = 0;
    std::optional<QString> snippet;
    // As given by the source; read it through databaseID(), which applies the
    // rule that a positive id doubles as the document-index row id.
    std::optional<std::int64_t> givenDatabaseID;
    SearchResultKind kind = SearchResultKind::file;
    std::optional<SearchResultAction> action;
    std::optional<QString> actionURLString;
    std::optional<QString> fallbackActionURLString;
    bool isDirectPathMatch = false;
    std::optional<QString> usageKey;
    bool isRecentActivation = false;
    std::optional<std::int64_t> relevanceScore;
    // What a row shows when it is not the file name (an application's name
    // as the desktop gives it), words that also find it, and its icon name.
    std::optional<QString> title;
    std::optional<QString> keywords; // ";"-separated
    std::optional<QString> iconName;
    // An application's localised GenericName or Comment, for its second line.
    std::optional<QString> description;

    std::optional<std::int64_t> databaseID() const {
        if (givenDatabaseID)
            return givenDatabaseID;
        if (id >= 1)
            return id;
        return std::nullopt;
    }

    // The canonical path or address: the action URL, "action://<action>", or
    // directory joined with filename.
    QString fullPath() const;

    // Key for de-duplication, promotion and selection: for actions the
    // lower-cased usageKey or URL, for files pathIdentityKey of fullPath.
    QString identity() const;

    // usageKey when present, else fullPath (not lower-cased).
    QString usageKeyOrFullPath() const;

    // The text a row shows: the title, else the file name.
    const QString& displayName() const { return title ? *title : filename; }

    // Whether the file name, title or keywords contain the lower-cased text.
    bool namesContain(const QString& lowercased) const;

    SearchResult withOpenCount(std::int64_t count) const;
    SearchResult withRelevanceScore(std::optional<std::int64_t> score) const;

    bool operator==(const SearchResult& other) const;
};

// Joins a directory and a name with exactly one "/" between them.
QString joinPath(const QString& directory, const QString& name);

// FNV-1a variant over the UTF-8 bytes, folded into [-(2^63-2), -1]. The values
// are stored inside cached results, so the arithmetic must never change.
std::int64_t stableNegativeID(const QString& identity);

} // namespace trovi

// Strings and optionals of strings hold no pointers into themselves, so lists
// of results may move their elements with memmove when they grow.
Q_DECLARE_TYPEINFO(trovi::SearchResult, Q_RELOCATABLE_TYPE);
