#include "launcher/engine/sources/browser/BrowserSessionSource.h"

namespace trovi {

namespace {

struct Installation {
    const char* browserName;
    const char* nativeID;     // also its desktop file's name
    const char* executables;  // ";"-separated, best first
    const char* configFolder; // under the XDG config folder
    const char* flatpakID;
    const char* snapName; // "" when there is none
};

// Firefox keeps its profiles under ~/.mozilla (or the XDG folder), not under
// its config folder name; the table's configFolder says "mozilla/firefox".
const Installation kInstallations[] = {
    {"Edge", "microsoft-edge", "microsoft-edge;microsoft-edge-stable", "microsoft-edge",
     "com.microsoft.Edge", ""},
    {"Brave", "brave-browser", "brave-browser;brave-browser-stable;brave",
     "BraveSoftware/Brave-Browser", "com.brave.Browser", "brave"},
    {"Chrome", "google-chrome", "google-chrome-stable;google-chrome", "google-chrome",
     "com.google.Chrome", ""},
    {"Chromium", "chromium", "chromium;chromium-browser", "chromium", "org.chromium.Chromium",
     "chromium"},
    {"Firefox", "firefox", "firefox;firefox-esr", "mozilla/firefox", "org.mozilla.firefox",
     "firefox"},
};

const QString kSnapPrefix = QStringLiteral("snap.");

} // namespace

QList<BrowserSessionSource> defaultBrowserSessionSources(const QString& home,
                                                         const QString& xdgConfigHome) {
    const QString config =
        (xdgConfigHome.isEmpty() ? QString(home + QStringLiteral("/.config")) : xdgConfigHome) +
        u'/';
    QList<BrowserSessionSource> sources;
    for (const Installation& i : kInstallations) {
        const QString name = QLatin1String(i.browserName);
        const QString folder = QLatin1String(i.configFolder);
        const QString flatpak = QLatin1String(i.flatpakID);
        const QString snap = QLatin1String(i.snapName);
        const QString snapHome = home + QStringLiteral("/snap/") + snap;
        if (name == u"Firefox") {
            const auto ff = BrowserSessionFormat::firefox;
            sources += {
                {name, QLatin1String(i.nativeID), home + QStringLiteral("/.mozilla/firefox"), ff},
                {name, QLatin1String(i.nativeID), config + folder, ff},
                {name, flatpak,
                 home + QStringLiteral("/.var/app/") + flatpak +
                     QStringLiteral("/.mozilla/firefox"),
                 ff},
                {name, kSnapPrefix + snap, snapHome + QStringLiteral("/common/.mozilla/firefox"),
                 ff},
            };
            continue;
        }
        sources.append({name, QLatin1String(i.nativeID), config + folder});
        sources.append(
            {name, flatpak, home + QStringLiteral("/.var/app/") + flatpak + "/config/" + folder});
        if (snap.isEmpty())
            continue;
        sources.append(
            {name, kSnapPrefix + snap, snapHome + QStringLiteral("/current/.config/") + folder});
        // Chromium's snap keeps its profile in the snap's common folder.
        if (snap == u"chromium")
            sources.append(
                {name, kSnapPrefix + snap, snapHome + QStringLiteral("/common/chromium")});
    }
    return sources;
}

QList<QStringList> browserLaunchCommands(const QString& bundleIdentifier) {
    for (const Installation& i : kInstallations) {
        if (bundleIdentifier == QLatin1String(i.nativeID)) {
            QList<QStringList> commands;
            for (const QString& program : QString::fromLatin1(i.executables).split(u';'))
                commands.append({program});
            return commands;
        }
        if (bundleIdentifier == QLatin1String(i.flatpakID))
            return {{QStringLiteral("flatpak"), QStringLiteral("run"), bundleIdentifier}};
        if (*i.snapName && bundleIdentifier == kSnapPrefix + QLatin1String(i.snapName))
            return {{QStringLiteral("/snap/bin/") + QLatin1String(i.snapName)},
                    {QStringLiteral("snap"), QStringLiteral("run"), QLatin1String(i.snapName)}};
    }
    return {};
}

} // namespace trovi
