#include "launcher/engine/sources/browser/SessionTabReader.h"

#include "launcher/core/RegularFile.h"
#include "launcher/engine/sources/browser/ChromiumSession.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"
#include "launcher/engine/sources/browser/FirefoxSession.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace trovi {

namespace {

// A long-lived window with a deep history makes a session file of a few MB.
constexpr qint64 kMaxChromiumSessionBytes = 64 * 1024 * 1024;
// Profiles are folders right under the root; a root with more is not one.
constexpr int kMaxProfiles = 64;

QString newestSessionFile(const QDir& sessions) {
    QString newest;
    qulonglong newestTime = 0;
    const QStringList names =
        sessions.entryList({QStringLiteral("Session_*")}, QDir::Files | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool ok = false;
        const qulonglong time = name.mid(8).toULongLong(&ok);
        if (ok && (newest.isEmpty() || time > newestTime)) {
            newest = name;
            newestTime = time;
        }
    }
    return newest.isEmpty() ? QString() : sessions.filePath(newest);
}

} // namespace

QStringList chromiumSessionFiles(const QString& userDataRoot) {
    QStringList files;
    const QStringList profiles =
        QDir(userDataRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (qsizetype i = 0; i < profiles.size() && i < kMaxProfiles; ++i) {
        const QDir profile(QDir(userDataRoot).filePath(profiles[i]));
        QString file = newestSessionFile(QDir(profile.filePath(QStringLiteral("Sessions"))));
        if (file.isEmpty() &&
            QFileInfo(profile.filePath(QStringLiteral("Current Session"))).isFile())
            file = profile.filePath(QStringLiteral("Current Session"));
        if (!file.isEmpty())
            files.append(file);
    }
    return files;
}

QStringList firefoxSessionFiles(const QString& profilesRoot) {
    QStringList files;
    for (const QString& profile : firefoxProfileFolders(profilesRoot)) {
        const QString file =
            QDir(profile).filePath(QStringLiteral("sessionstore-backups/recovery.jsonlz4"));
        if (QFileInfo::exists(file))
            files.append(file);
    }
    return files;
}

QList<BrowserSessionTab> SessionTabReader::tabsOf(const QString& path,
                                                  BrowserSessionFormat format) {
    const QFileInfo info(path);
    const QString stamp =
        QStringLiteral("%1:%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_entries.constFind(path);
        if (it != m_entries.constEnd() && it->stamp == stamp)
            return it->tabs;
    }
    QList<BrowserSessionTab> tabs;
    if (format == BrowserSessionFormat::chromium) {
        if (const auto data = readRegularFile(path, kMaxChromiumSessionBytes))
            tabs = parseChromiumSession(*data);
    } else if (const auto data = readRegularFile(path, maxFirefoxSessionBytes)) {
        // The compressed file is smaller than what it unpacks to.
        tabs = parseFirefoxSession(*data);
    }
    const std::lock_guard lock(m_mutex);
    m_entries.insert(path, {stamp, tabs});
    return tabs;
}

QList<BrowserTabShortcut> SessionTabReader::read(const QList<BrowserSessionSource>& sources) {
    QList<BrowserTabShortcut> shortcuts;
    for (const BrowserSessionSource& source : sources) {
        const bool chromium = source.format == BrowserSessionFormat::chromium;
        const QStringList files = chromium ? chromiumSessionFiles(source.userDataRoot)
                                           : firefoxSessionFiles(source.userDataRoot);
        // Profiles' windows are numbered on from the previous profile's, so
        // that a tab's identity names one tab.
        int windowOffset = 0;
        for (const QString& file : files) {
            int lastWindow = 0;
            for (const BrowserSessionTab& tab : tabsOf(file, source.format)) {
                lastWindow = std::max(lastWindow, tab.windowIndex);
                const QString urlString = tab.urlString.trimmed();
                const QUrl url(urlString);
                const QString scheme = url.scheme().toLower();
                // Browser pages (new tab, settings) are not pages to find.
                if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
                    continue;
                shortcuts.append({source.browserName, source.bundleIdentifier,
                                  windowOffset + tab.windowIndex, tab.tabIndex, tab.title.trimmed(),
                                  urlString, url.host(QUrl::FullyDecoded), true});
            }
            windowOffset += lastWindow;
        }
    }
    return shortcuts;
}

} // namespace trovi
