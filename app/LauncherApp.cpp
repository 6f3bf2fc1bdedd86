#include "LauncherApp.h"

#include "ClipboardServer.h"
#include "QuitWhenSettled.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/LauncherWindow.h"

#include <QApplication>

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
        services.installedApplications = &platform::installedDesktopApplications;
        return services;
    });
    DatabaseManager& engine = DatabaseManager::shared();

    LinuxWorkspace workspace;
    ClipboardServer clipboard;
    ResultActivator activator(workspace, clipboard);

    auto search = [&engine](const QString& query, bool allowPersistentQueryCache) {
        return engine.run([query, allowPersistentQueryCache](DatabaseManager& m) {
            return m.search(query, allowPersistentQueryCache);
        });
    };
    auto activate = [&](const SearchResult& result, ResultActivationMode requested,
                        const QString& query, const QList<SearchResult>& shown,
                        bool shownIsPreview) {
        const ActivationRun run =
            activateResult(engine, activator, {result, requested, query, shown, shownIsPreview});
        if (!run.outcome.succeeded() && !run.outcome.message.isEmpty())
            std::fprintf(stderr, "trovi: %s\n", run.outcome.message.toUtf8().constData());
        // Until the hotkey arrives the window is the whole application: leave
        // once what the activation recorded is stored and reveals are answered.
        quitWhenSettled(run.stored, workspace, QDeadlineTimer::Forever);
    };

    LauncherWindow window(search, activate, SearchDebounceSettingsStore::standard().load());
    const NotificationToken refreshed = NotificationCenter::defaultCenter().observe(
        notifications::LauncherSearchDataRefreshed,
        [&window](const QVariantMap&) { window.rerunCurrentQuery(); });
    QObject::connect(&window, &LauncherWindow::dismissed, &application, &QCoreApplication::quit);
    window.show();
    // Fill the catalogues before the first keystroke.
    engine.run([](DatabaseManager& m) { m.scheduleBackgroundCacheRefreshIfNeeded(); });
    return application.exec();
}

} // namespace trovi::app
