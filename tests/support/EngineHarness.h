#pragma once
// A search engine on the test thread with its own temporary home, in-memory
// preferences and a hand-driven clock.

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/Files.h"
#include "tests/support/ManualClock.h"
#include "tests/support/Results.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace trovi::test {

struct EngineHarness : ManualClock {
    QTemporaryDir home;
    InMemoryPreferenceStore preferences;
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
        services.clock = clock();
        services.diagnostics = [this](const QString& line) { diagnostics.append(line); };
        services.shortcutRootWatcherFactory = watcherFactory;
        services.translationEngines = translationEngines;
        manager = std::make_unique<DatabaseManager>(config, std::move(services));
        return *manager;
    }

    QString mkdir(const QString& relative) {
        const QString path = home.path() + u'/' + relative;
        QDir().mkpath(path);
        return path;
    }

    QString touch(const QString& relative, const QByteArray& contents = {}) {
        const QString path = home.path() + u'/' + relative;
        writeFile(path, contents);
        return path;
    }
};

} // namespace trovi::test
