#include "LauncherApp.h"

#include "ClipboardServer.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/session/ActivationCaching.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
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
        const ResultActivationMode mode = effectiveActivationMode(result, requested);
        if (mode == ResultActivationMode::open) {
            engine.run([result, query, shown, shownIsPreview](DatabaseManager& m) {
                cachePromotedSearchResultsAfterActivation(m, result, query, shown, shownIsPreview);
                m.recordActivation(result);
            });
        }
        const ActivationOutcome outcome = activator.activate(result, mode);
        if (!outcome.succeeded() && !outcome.message.isEmpty())
            std::fprintf(stderr, "trovi: %s\n", outcome.message.toUtf8().constData());
        // Until the hotkey arrives the window is the whole application: leave
        // once what the activation recorded is stored and reveals are answered.
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
