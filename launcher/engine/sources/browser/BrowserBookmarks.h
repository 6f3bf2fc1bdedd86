#pragma once
// Where bookmarks are read from, and all of them at once.

#include "launcher/engine/sources/browser/BrowserShortcuts.h"

namespace trovi {

// Edge, Brave and Chrome where macOS keeps them; then, as Linux keeps them,
// Chrome, Chromium (with its snap home), Brave and Edge under the XDG config
// folder, each followed by its Flatpak home; then Firefox's profile roots
// (classic, XDG, Flatpak, snap).
QList<BrowserBookmarkSource> defaultBrowserBookmarkSources(const QString& home,
                                                           const QString& xdgConfigHome);

class FirefoxBookmarkCache;

// Every bookmark of every source, in source order; duplicates are kept.
// Firefox databases go through the cache when one is given.
QList<BrowserBookmarkShortcut>
discoverBrowserBookmarks(const QList<BrowserBookmarkSource>& sources,
                         FirefoxBookmarkCache* firefoxCache = nullptr);

} // namespace trovi
