#include "LauncherApp.h"

#include "ClipboardServer.h"
#include "QuitWhenSettled.h"

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
    DatabaseManagerSearchEngine searchEngine(engine, activator);
    EventLoopScheduler scheduler;

    ContentViewServices services;
    services.preferences = &PreferenceStore::standard();
    services.engine = &searchEngine;
    services.scheduler = &scheduler;
    services.notifications = &NotificationCenter::defaultCenter();
    services.persistentQueryCacheStore = PersistentQueryResultCacheStoreRegistry::store(
        PreferenceStore::standard(), PersistentQueryResultCacheStore::defaultStoreKey());

    LauncherWindow window(std::move(services));
    QObject::connect(&window, &LauncherWindow::hideRequested, &application, [&] {
        window.hide();
        NotificationCenter::defaultCenter().post(notifications::WindowHidden);
        // Until the hotkey arrives the window is the whole application: leave
        // once the activation queued right after the hide has stored what it
        // recorded and reveals are answered.
        QTimer::singleShot(20, &application, [&] {
            quitWhenSettled(searchEngine.lastActivationStored(), workspace,
                            QDeadlineTimer::Forever);
        });
    });
    window.show();
    NotificationCenter::defaultCenter().post(notifications::WindowAppeared);
    // Fill the catalogues before the first keystroke.
    engine.run([](DatabaseManager& m) { m.scheduleBackgroundCacheRefreshIfNeeded(); });
    return application.exec();
}

} // namespace trovi::app
