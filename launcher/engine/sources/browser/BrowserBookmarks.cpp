#include "launcher/engine/sources/browser/BrowserBookmarks.h"

#include "launcher/engine/sources/browser/ChromiumBookmarks.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"

namespace trovi {

QList<BrowserBookmarkSource> defaultBrowserBookmarkSources(const QString& home,
                                                           const QString& xdgConfigHome) {
    const QString mac = home + QStringLiteral("/Library/Application Support/");
    const QString config =
        (xdgConfigHome.isEmpty() ? QString(home + QStringLiteral("/.config")) : xdgConfigHome) +
        u'/';
    auto flatpak = [&](const char* appID, const char* folder) -> QString {
        return home + QStringLiteral("/.var/app/") + QLatin1String(appID) +
               QStringLiteral("/config/") + QLatin1String(folder);
    };
    const QString chrome = QStringLiteral("Chrome"), chromium = QStringLiteral("Chromium"),
                  brave = QStringLiteral("Brave"), edge = QStringLiteral("Edge"),
                  firefox = QStringLiteral("Firefox");
    const auto ff = BrowserBookmarkFormat::firefox;
    return {
        {edge, mac + QStringLiteral("Microsoft Edge")},
        {brave, mac + QStringLiteral("BraveSoftware/Brave-Browser")},
        {chrome, mac + QStringLiteral("Google/Chrome")},
        {chrome, config + QStringLiteral("google-chrome")},
        {chrome, flatpak("com.google.Chrome", "google-chrome")},
        {chromium, config + QStringLiteral("chromium")},
        {chromium, home + QStringLiteral("/snap/chromium/common/chromium")},
        {chromium, flatpak("org.chromium.Chromium", "chromium")},
        {brave, config + QStringLiteral("BraveSoftware/Brave-Browser")},
        {brave, flatpak("com.brave.Browser", "BraveSoftware/Brave-Browser")},
        {edge, config + QStringLiteral("microsoft-edge")},
        {edge, flatpak("com.microsoft.Edge", "microsoft-edge")},
        {firefox, home + QStringLiteral("/.mozilla/firefox"), ff},
        {firefox, config + QStringLiteral("mozilla/firefox"), ff},
        {firefox, home + QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox"), ff},
        {firefox, home + QStringLiteral("/snap/firefox/common/.mozilla/firefox"), ff},
    };
}

QList<BrowserBookmarkShortcut> discoverBrowserBookmarks(const QList<BrowserBookmarkSource>& sources,
                                                        FirefoxBookmarkCache* firefoxCache) {
    QList<BrowserBookmarkShortcut> bookmarks;
    for (const BrowserBookmarkSource& source : sources) {
        if (source.format == BrowserBookmarkFormat::firefox) {
            bookmarks +=
                discoverFirefoxBookmarks(source.userDataRoot, source.browserName, firefoxCache);
            continue;
        }
        for (const QString& file : discoverChromiumBookmarkFiles(source.userDataRoot))
            bookmarks += parseChromiumBookmarks(file, source.browserName);
    }
    return bookmarks;
}

} // namespace trovi
