#pragma once
// Installed applications the freedesktop way: the ".desktop" entries in the
// XDG application folders, named as the desktop names them. An entry earlier
// in the folder list hides one with the same desktop id later on (the user's
// own entries override the system's).

#include "launcher/engine/model/SearchResult.h"

#include <QList>
#include <QStringList>

namespace trovi::platform {

// One app record per entry a launcher should show: Type=Application, neither
// Hidden nor NoDisplay, TryExec found, and shown in $XDG_CURRENT_DESKTOP by
// OnlyShowIn/NotShowIn. The record keeps the entry's path (its id and
// learned counts), and carries the localised Name as its title, GenericName
// and Keywords for matching, and the Icon name. Unreadable folders and files
// are skipped.
QList<SearchResult> discoverDesktopApplications(const QStringList& applicationDirectories);

} // namespace trovi::platform
