#pragma once
// Installed applications the freedesktop way: the ".desktop" entries in the
// XDG application folders. An entry earlier in the folder list hides one with
// the same desktop id later on (the user's own entries override the system's).

#include "launcher/engine/model/SearchResult.h"

#include <QList>
#include <QStringList>

namespace trovi {

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS, then the flatpak
// and snap export folders; with the specification's defaults when unset.
QStringList defaultDesktopApplicationDirectories(const QString& home);

// One app record per visible application entry (Type=Application, not
// NoDisplay or Hidden). Unreadable folders and files are skipped.
QList<SearchResult> discoverDesktopApplications(const QStringList& applicationDirectories);

} // namespace trovi
