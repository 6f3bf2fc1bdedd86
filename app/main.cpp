#include "ClipboardServer.h"
#include "CommandLine.h"
#include "CommandRunner.h"
#include "ConfigCommand.h"
#include "LauncherApp.h"
#include "LauncherStatus.h"
#include "ShortcutCommand.h"
#include "StartupTrace.h"
#include "TerminalOutput.h"
#include "TranslationStatus.h"
#include "Version.h"

#include "frontend/LauncherCommand.h"

#include "launcher/platform/linux/PrivateFolder.h"
#include "launcher/platform/linux/SingleInstance.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

using namespace trovi::app;

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// What the front end could not ask (a folder it found too open, which is
// tightened here first; a command line only the full parser reads): the
// exit status once the launcher answered, or -1 to run the command here.
int askRunningLauncher(const QStringList& arguments, double waitSeconds, bool repeatable) {
    const trovi::SingleInstanceConfiguration configuration;
    if (std::holds_alternative<QString>(trovi::PrivateFolder::open(configuration.lockDirectory())))
        return -1;
    const QByteArray line =
        trovi::encodeInstanceRequest(trovi::InstanceCommand{arguments.value(0), arguments.mid(1)});
    bool reached = false;
    return trovi::frontend::runInRunningLauncher(line.toStdString(), waitSeconds, repeatable,
                                                 reached);
}

void printError(const QString& message) {
    printLine(stderr, QStringLiteral("trovi: ") + message);
}

} // namespace

// Called by the `trovi` front end. `launcherAsked` is 1 when the front end
// reached a running launcher with this very `query` or `open`: it is not
// asked again.
extern "C" __attribute__((visibility("default"))) int trovi_program_main(int argc, char** argv,
                                                                         int launcherAsked) {
    traceStartup("main");
    if (argc == 3 && qstrcmp(argv[1], kServeClipboardOption) == 0)
        return serveClipboard(argc, argv, QString::fromLocal8Bit(argv[2]));

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const Command command = parseCommandLine(arguments);

    if (const auto* error = std::get_if<UsageError>(&command)) {
        printError(error->message);
        std::fprintf(stderr, "%s", usageText().toUtf8().constData());
        return 2;
    }
    if (std::holds_alternative<ShowHelp>(command)) {
        std::fprintf(stdout, "Trovi Launcher %s — a keyboard launcher.\n\n%s", TROVI_VERSION,
                     usageText().toUtf8().constData());
        return 0;
    }
    if (std::holds_alternative<ShowVersion>(command)) {
        std::fprintf(stdout, "trovi %s\n", TROVI_VERSION);
        return 0;
    }
    if (const auto* query = std::get_if<QueryCommand>(&command)) {
        if (!query->standalone && !launcherAsked)
            if (const int status = askRunningLauncher(arguments, query->waitSeconds, true);
                status >= 0)
                return status;
        QCoreApplication app(argc, argv);
        return runQueryCommand(*query);
    }
    if (const auto* open = std::get_if<OpenCommand>(&command)) {
        if (!open->standalone && !launcherAsked)
            if (const int status = askRunningLauncher(arguments, open->waitSeconds, false);
                status >= 0)
                return status;
        QCoreApplication app(argc, argv);
        return runOpenCommand(*open);
    }
    if (const auto* status = std::get_if<StatusCommand>(&command)) {
        QCoreApplication app(argc, argv);
        return runStatusCommand(*status);
    }
    if (const auto* shortcut = std::get_if<ShortcutCommand>(&command)) {
        QCoreApplication app(argc, argv);
        return runShortcutCommand(*shortcut);
    }
    if (std::holds_alternative<TranslationStatusCommand>(command)) {
        QCoreApplication app(argc, argv);
        return runTranslationStatus();
    }
    if (const auto* config = std::get_if<ConfigCommand>(&command)) {
        QCoreApplication app(argc, argv);
        return runConfigCommand(
            *config, trovi::PreferenceStore::standard(), [](const QString& notification) {
                trovi::sendToRunningInstance(
                    trovi::SingleInstanceConfiguration::standard(),
                    trovi::encodeInstanceRequest(trovi::InstanceNotification{notification}));
            });
    }

    if (!hasDisplay()) {
        printError(QStringLiteral("cannot show the launcher window: no display (DISPLAY and "
                                  "WAYLAND_DISPLAY are unset)"));
        return 1;
    }
    // One launcher per user: a second launch hands its request over and leaves
    // before any window or engine exists.
    const auto intent = std::get<StartLauncher>(command).intent;
    trovi::DuplicateLaunchRequest request;
    if (intent != StartLauncher::Intent::toggle)
        request.arguments = arguments;
    request.createdAt = QDateTime::currentDateTimeUtc();
    // Started by the desktop's shortcut on Wayland: the running window may take
    // focus with the token the compositor gave this launch.
    request.activationToken = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    auto started = trovi::SingleInstanceController::start(
        trovi::SingleInstanceConfiguration::standard(), request);
    if (std::holds_alternative<trovi::SingleInstanceController::AlreadyRunning>(started))
        return 0;
    if (const auto* failed = std::get_if<trovi::SingleInstanceController::Failed>(&started)) {
        std::fprintf(stderr, "Trovi Launcher failed to acquire the single-instance lock: %s\n",
                     failed->message.toUtf8().constData());
        return 1;
    }
    if (const auto* lost = std::get_if<trovi::SingleInstanceController::NotDelivered>(&started)) {
        printError(QStringLiteral("the request did not reach the running launcher: ") +
                   lost->message);
        return 1;
    }
    traceStartup("single-instance lock taken");
    return runLauncher(
        argc, argv, std::move(std::get<trovi::SingleInstanceController::Run>(started).controller),
        intent);
}
