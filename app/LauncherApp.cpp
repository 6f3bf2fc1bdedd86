#include "LauncherApp.h"

#include "ClipboardServer.h"
#include "EngineBuilder.h"
#include "EngineThread.h"
#include "FontConfigWarmUp.h"
#include "LauncherStartup.h"
#include "LauncherStatus.h"
#include "QuitOnTermination.h"
#include "ResidentCommandRunner.h"
#include "StartupTrace.h"
#include "Version.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/BrowserTabOpener.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/platform/linux/SingleInstance.h"
#include "launcher/platform/linux/X11HotKeyBackend.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/AppVersionLabel.h"
#include "launcher/shell/LauncherShell.h"
#include "launcher/shell/LauncherWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace trovi::app {

namespace {

// What a second launch asks for: the last request that names something wins;
// a launch without arguments toggles.
StartLauncher::Intent intentOf(const QList<DuplicateLaunchRequest>& requests) {
    StartLauncher::Intent intent = StartLauncher::Intent::toggle;
    for (const DuplicateLaunchRequest& request : requests) {
        const Command command = parseCommandLine(request.arguments);
        if (const auto* start = std::get_if<StartLauncher>(&command))
            intent = start->intent;
    }
    return intent;
}

// The newest token a request brought; older ones may be spent already.
QString activationTokenOf(const QList<DuplicateLaunchRequest>& requests) {
    for (auto request = requests.crbegin(); request != requests.crend(); ++request)
        if (!request->activationToken.isEmpty())
            return request->activationToken;
    return {};
}

// Qt's Wayland plugin reads XDG_ACTIVATION_TOKEN when a window asks to be
// activated: set for just that moment, the compositor focuses the window
// instead of announcing that it "is ready". X11 has no use for it.
template <typename Act> void withActivationToken(const QString& token, Act act) {
    const bool use =
        !token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (use)
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    act();
    if (use)
        qunsetenv("XDG_ACTIVATION_TOKEN");
}

} // namespace

int runLauncher(int argc, char** argv, std::unique_ptr<SingleInstanceController> instance,
                StartLauncher::Intent intent) {
    FontConfigWarmUp fonts;
    QApplication application(argc, argv);
    traceStartup("QApplication");
    QApplication::setApplicationName(QStringLiteral("Trovi"));
    QApplication::setApplicationDisplayName(QStringLiteral("Trovi Launcher"));
    QApplication::setDesktopFileName(QStringLiteral("trovi-launcher"));
    // Resident: hiding the last window is not quitting.
    QApplication::setQuitOnLastWindowClosed(false);

    NotificationCenter& notifications = NotificationCenter::defaultCenter();
    QString listenError;
    if (!instance->listen(&listenError))
        std::fprintf(stderr,
                     "trovi: a second launch cannot reach this launcher (%s); it keeps running\n",
                     listenError.toUtf8().constData());

    // The engine runs on its own thread. Declared before everything that calls
    // into it, so it is stopped last: translation helper, watchers, thread.
    traceStartup("instance listening");
    EngineBuilder builder(EngineBuilder::Purpose::window, PreferenceStore::standard());
    builder.services().notifications = &notifications;
    const std::shared_ptr<TranslationEngines> translationEngines = builder.translationEngines();
    EngineThread engineThread(builder.build(), translationEngines);
    DatabaseManager& engine = engineThread.engine();
    traceStartup("engine built");

    LinuxWorkspace workspace;
    ClipboardServer clipboard;
    ResultActivator activator(workspace, clipboard, openTabPageInItsBrowser);

    DatabaseManagerSearchEngine searchEngine(engine, activator);
    EventLoopScheduler scheduler;
    ContentViewServices services;
    services.preferences = &PreferenceStore::standard();
    services.engine = &searchEngine;
    services.scheduler = &scheduler;
    services.notifications = &notifications;
    services.persistentQueryCacheStore = engine.persistentQueryResultCacheStore();
    services.languageRecognizer = builder.services().languageRecognizer;
    fonts.wait();
    // The window's view answers "LauncherSearchDataRefreshed"; the shell
    // hears of the results' visibility from the window itself.
    LauncherWindow window(std::move(services));
    window.setVersionLabel(
        appVersionLabel(QStringLiteral(TROVI_VERSION), QString(), executableBuildDate()));

    traceStartup("window built");
    traceFirstPaint(window);
    X11HotKeyBackend hotKeys;
    LauncherStartup startup(engine, translationEngines, PreferenceStore::standard(), notifications);
    LauncherShell shell(&window, PreferenceStore::standard(), notifications, &hotKeys,
                        QStringLiteral(TROVI_VERSION));
    LauncherShellHooks hooks = startup.hooks(shell);
    // The translation engines start once the window is up, so the first "cc"
    // query finds them ready without delaying the window.
    hooks.prewarmTranslation = [translationEngines] {
        translationEngines->prewarm(
            TranslationEngineSettingsStore::standard().load().prioritizedEnabledEngineIDs(),
            TranslationLanguageSettingsStore::standard().load());
    };
    shell.setHooks(std::move(hooks));
    QObject::connect(&window, &LauncherWindow::hideRequested, &shell, &LauncherShell::hideWindow);
    QObject::connect(&window, &LauncherWindow::settingsRequested, &shell,
                     &LauncherShell::showSettingsWindow);
    QObject::connect(&window, &LauncherWindow::quitRequested, &application,
                     &QCoreApplication::quit);

    auto follow = [&shell, &startup](StartLauncher::Intent wanted) {
        if (wanted != StartLauncher::Intent::hide && wanted != StartLauncher::Intent::settings &&
            startup.raiseOnboardingIfVisible())
            return;
        switch (wanted) {
        case StartLauncher::Intent::toggle:
            shell.toggleWindow();
            break;
        case StartLauncher::Intent::show:
            shell.showWindow();
            break;
        case StartLauncher::Intent::hide:
            shell.hideWindow();
            break;
        case StartLauncher::Intent::settings:
            shell.showSettingsWindow();
            break;
        }
    };
    instance->setDuplicateLaunchHandler([&follow](const QList<DuplicateLaunchRequest>& requests) {
        withActivationToken(activationTokenOf(requests), [&] { follow(intentOf(requests)); });
    });
    instance->setStatusHandler([&window] { return launcherStatusJson(window); });
    instance->setNotificationHandler(
        [&notifications](const QString& name) { notifications.post(name); });
    ResidentCommandRunner commands(engine, activator);
    instance->setCommandHandler(
        [&commands](const InstanceCommand& command, SingleInstanceController::CommandDone done) {
            commands.run(command, std::move(done));
        });

    // The window comes first; the catalogues fill in behind it.
    shell.start(intent == StartLauncher::Intent::hide || intent == StartLauncher::Intent::settings);
    if (intent == StartLauncher::Intent::settings)
        shell.showSettingsWindow();
    QTimer::singleShot(0, &application, [&engine] {
        engine.run([](DatabaseManager& m) { m.scheduleBackgroundCacheRefreshIfNeeded(); });
    });
    traceStartup("shell started");
    QuitOnTermination quitOnTermination;
    const int status = application.exec();
    instance->setDuplicateLaunchHandler({});
    instance->setCommandHandler({});
    instance->setStatusHandler({});
    return status;
}

} // namespace trovi::app
