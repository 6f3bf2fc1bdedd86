#pragma once
// Titling, keywords, merging and matching of settings panes. All pure: the
// discovery that feeds them runs off the engine thread.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"

#include <functional>

namespace trovi {

// Whether a settings extension with this identifier and extension point is a
// pane of its own (not an intents extension, widget or follow-up sheet).
bool shouldIncludeSystemSettingsBundle(const QString& bundleIdentifier,
                                       const QString& extensionPointIdentifier);

// Turns a bundle or entry name into the pane title a person expects:
// "SoftwareUpdate Settings Extension" becomes "Software Update".
QString cleanupSystemSettingsTitle(const QString& title);

// The fixed title of a well-known pane, keyed by its identifier in any case.
std::optional<QString> systemSettingsTitleOverride(const QString& bundleIdentifier);

// Pieces of a text split at every character that is not a letter or digit.
QStringList alphanumericPieces(const QString& text);

// The lower-case title, the keyword groups whose fragment the title holds, and
// the identifier's pieces of two or more characters; no duplicates.
QStringList systemSettingsKeywords(const QString& title, const QString& bundleIdentifier);

// Preferred first, one record per primary URL (any case), sorted by title.
QList<SystemSettingsShortcut>
mergeSystemSettingsShortcuts(const QList<SystemSettingsShortcut>& preferred,
                             const QList<SystemSettingsShortcut>& discovered);

// The action row that opens a pane.
SearchResult systemSettingsResult(const SystemSettingsShortcut& shortcut);

// Learned open count of a row (database count 0), applied when non-zero.
using LearnedCountLookup = std::function<std::int64_t(const SearchResult&)>;

// Panes matching the lower-cased query: 3 for an equal term, 2 for a term
// that begins with it, 1 for containment either way; best 10, then by title.
QList<SearchResult>
searchSystemSettingsActionResults(const QString& queryLowercased,
                                  const QList<SystemSettingsShortcut>& shortcuts,
                                  const LearnedCountLookup& learnedOpenCount);

} // namespace trovi
