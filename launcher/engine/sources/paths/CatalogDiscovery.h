#pragma once
// Catalogue discovery: walks that turn application bundles, folders and
// shortcut files under their roots into search results, the default roots and
// exclusions, and the pinned-folder record. Pure functions; any thread.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/sources/paths/PathRecords.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace trovi {

inline constexpr int defaultFolderSearchMaxDepth = 5;
inline constexpr int defaultShortcutSearchMaxDepth = 6;

// Folder names (lower case) that are neither listed nor entered.
QSet<QString> defaultExcludedFolderNames();
// Suffixes (lower case, no dot) that are always shortcut files: url, webloc.
QSet<QString> baselineShortcutFileExtensions();
// Folders added to every folder search when they exist.
QStringList defaultPinnedFolderPaths();
// Directory suffixes (lower case, no dot) of packages: listed, never entered.
QSet<QString> packageDirectorySuffixes();
bool isPackageDirectoryName(const QString& name);

// "/Applications", "/System/Applications", the Cryptexes applications folder
// and home/Applications, whether or not they exist.
QStringList defaultAppSearchRoots(const QString& home);
// The user's documents, desktop and download folders as named in
// $XDG_CONFIG_HOME/user-dirs.dirs (English names under home where a key is
// missing), then home/My Drive; those that exist.
QStringList defaultShortcutSearchRoots(const QString& home);

// Every *.app under the roots (hidden ones too), without entering packages.
QList<SearchResult> discoverAppBundles(const QStringList& searchRoots);

// Folders up to maxDepth below each root, skipping hidden entries, packages'
// contents and excludedFolderNames (lower case) with everything below them.
PathRecords discoverFolders(const QStringList& searchRoots, int maxDepth,
                            const QSet<QString>& excludedFolderNames);

// Files whose lower-cased suffix is in fileExtensions, up to maxDepth below
// each root, with the same pruning as discoverFolders; each carries its
// shortcut usage key.
QList<SearchResult> discoverShortcuts(const QStringList& searchRoots, int maxDepth,
                                      const QSet<QString>& excludedFolderNames,
                                      const QSet<QString>& fileExtensions);

// The baseline plus the last dot-separated piece of each ranking rule's suffix
// (".tar.gz" adds "gz"; a suffix of only dots adds nothing), all lower case.
QSet<QString> shortcutFileExtensions(const QSet<QString>& baseline,
                                     const QStringList& ruleSuffixes);

// The folder record of a pinned path, or nothing when no folder is there. The
// learned open count is left to the caller.
std::optional<SearchResult> pinnedFolderResult(const QString& path);

} // namespace trovi
