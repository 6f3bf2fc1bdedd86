#include "LauncherApp.h"

#include "ClipboardServer.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/LauncherWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace trovi::app {

int runLauncher(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trovi"));

    DatabaseManager::configureShared([] {
        DatabaseManagerServices services;
        services.preferences = &PreferenceStore::standard();
        services.notifications = &NotificationCenter::defaultCenter();
        services.shortcutRootWatcherFactory = &InotifyShortcutRootWatcher::create;
        return services;
    });
    DatabaseManager& engine = DatabaseManager::shared();

    LinuxWorkspace workspace;
    ClipboardServer clipboard;
    ResultActivator activator(workspace, clipboard);
    DatabaseManagerSearchEngine searchEngine(engine);
    EventLoopScheduler scheduler;

    ContentViewServices services;
    services.preferences = &PreferenceStore::standard();
    services.engine = &searchEngine;
    services.activator = &activator;
    services.scheduler = &scheduler;
    services.notifications = &NotificationCenter::defaultCenter();
    services.persistentQueryCacheStore = PersistentQueryResultCacheStoreRegistry::store(
        PreferenceStore::standard(), PersistentQueryResultCacheStore::defaultStoreKey());

    LauncherWindow window(std::move(services));
    // Until the hotkey arrives the window is the whole application: leave
    // once what an activation recorded is stored and reveals are answered.
    QObject::connect(&window, &LauncherWindow::hideRequested, &application, [&] {
        window.hide();
        NotificationCenter::defaultCenter().post(notifications::WindowHidden);
        engine.run([](DatabaseManager&) {}).then(&application, [&workspace] {
            auto* poll = new QTimer(&workspace);
            QObject::connect(poll, &QTimer::timeout, [poll, &workspace] {
                if (workspace.pendingReveals() == 0) {
                    poll->stop();
                    QCoreApplication::quit();
                }
            });
            poll->start(20);
        });
    });
    window.show();
    NotificationCenter::defaultCenter().post(notifications::WindowAppeared);
    // Fill the catalogues before the first keystroke.
    engine.run([](DatabaseManager& m) { m.scheduleBackgroundCacheRefreshIfNeeded(); });
    return application.exec();
}

} // namespace trovi::app
