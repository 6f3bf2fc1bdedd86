#pragma once
// A search engine on the test thread with its own temporary home, in-memory
// preferences and a hand-driven clock.

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <memory>

namespace trovi::test {

inline SearchResult pathResult(SearchResultKind kind, const QString& directory,
                               const QString& filename, std::int64_t openCount = 0) {
    SearchResult r;
    r.kind = kind;
    r.directory = directory;
    r.filename = filename;
    r.openCount = openCount;
    r.id = stableNegativeID(directory + u'/' + filename);
    return r;
}

struct EngineHarness {
    QTemporaryDir home;
    InMemoryPreferenceStore preferences;
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());
    QStringList diagnostics;
    DatabaseManagerConfiguration config;
    ShortcutRootWatcherFactory watcherFactory;
    std::shared_ptr<TranslationEngines> translationEngines; // null: the local engines
    std::unique_ptr<DatabaseManager> manager;

    EngineHarness() {
        config = DatabaseManagerConfiguration::standard(home.path());
        config.backgroundRefreshEnabled = false;
        config.pinnedFolderPaths.clear();
        config.appSearchRoots = {home.path() + QStringLiteral("/Applications")};
        config.desktopApplicationDirectories = {home.path() +
                                                QStringLiteral("/.local/share/applications")};
    }

    DatabaseManager& make() {
        DatabaseManagerServices services;
        services.preferences = &preferences;
        services.clock = [this] { return now; };
        services.diagnostics = [this](const QString& line) { diagnostics.append(line); };
        services.shortcutRootWatcherFactory = watcherFactory;
        services.translationEngines = translationEngines;
        manager = std::make_unique<DatabaseManager>(config, std::move(services));
        return *manager;
    }

    void advance(double seconds) { now = now.addMSecs(qint64(seconds * 1000)); }

    QString mkdir(const QString& relative) {
        const QString path = home.path() + u'/' + relative;
        QDir().mkpath(path);
        return path;
    }

    QString touch(const QString& relative, const QByteArray& contents = {}) {
        const QString path = home.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(contents);
        return path;
    }
};

} // namespace trovi::test
