#pragma once
// Open tabs read from the browsers' own session files, never talking to the
// browser: files are read once each (bounded, regular files only) and never
// written, and a file whose size and time are unchanged is not read again.

#include "launcher/engine/sources/browser/BrowserSessionSource.h"
#include "launcher/engine/sources/browser/BrowserSessionTab.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"

#include <QHash>

#include <mutex>

namespace trovi {

// The session file of each profile under a Chromium-family root: the newest
// Sessions/Session_<time>, or the older "Current Session" file.
QStringList chromiumSessionFiles(const QString& userDataRoot);

// The running-session file of each profile that the root's profiles.ini names.
QStringList firefoxSessionFiles(const QString& profilesRoot);

class SessionTabReader {
public:
    // Every http(s) tab of every source, in source order.
    QList<BrowserTabShortcut> read(const QList<BrowserSessionSource>& sources);

private:
    QList<BrowserSessionTab> tabsOf(const QString& path, BrowserSessionFormat format);

    struct Entry {
        QString stamp;
        QList<BrowserSessionTab> tabs;
    };
    std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
};

} // namespace trovi
