#pragma once
// Where each installed browser keeps its session, and how to start that same
// browser again: its own executable, its Flatpak or its snap.

#include <QList>
#include <QString>
#include <QStringList>

namespace trovi {

enum class BrowserSessionFormat {
    chromium, // profile folders under the root, each with Sessions/Session_*
    firefox,  // profiles.ini naming profiles, each with sessionstore-backups/
};

struct BrowserSessionSource {
    QString browserName;
    // Names this installation in tab identities and in the route that opens a
    // tab: the desktop name of a packaged browser ("brave-browser"), a
    // Flatpak's application id ("com.brave.Browser"), or "snap." + snap name.
    QString bundleIdentifier;
    QString userDataRoot;
    BrowserSessionFormat format = BrowserSessionFormat::chromium;
};

// Edge, Brave, Chrome, Chromium and Firefox, each as packaged, as a Flatpak
// and (where one exists) as a snap, under `home` and the XDG config folder.
QList<BrowserSessionSource> defaultBrowserSessionSources(const QString& home,
                                                         const QString& xdgConfigHome);

// The commands that start the browser an identifier names, best first; the
// page's address goes after them. A plain program name is looked up on PATH.
QList<QStringList> browserLaunchCommands(const QString& bundleIdentifier);

} // namespace trovi
