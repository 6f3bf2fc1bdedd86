#include "CommandRunner.h"

#include "ClipboardServer.h"
#include "CommandOutput.h"
#include "DryRun.h"
#include "EngineBuilder.h"
#include "QuitWhenSettled.h"
#include "TerminalOutput.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/BrowserTabOpener.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <utility>

namespace trovi::app {

namespace {

std::unique_ptr<DatabaseManager> makeManager() {
    EngineBuilder builder(EngineBuilder::Purpose::commandLine, PreferenceStore::standard());
    builder.services().diagnostics = [](const QString& line) { printLine(stderr, line); };
    auto manager = builder.build();
    manager->refreshCatalogsNow();
    return manager;
}

// Searches, then, while a lookup this search started is running and the wait
// has not run out, searches again each time the engine reports new data.
QList<SearchResult> searchWaitingForLookups(DatabaseManager& manager, const QString& text,
                                            double waitSeconds) {
    QList<SearchResult> results = manager.search(text, true);
    const QDeadlineTimer deadline(qint64(waitSeconds * 1000));
    while (manager.hasPendingLookups() && !deadline.hasExpired()) {
        QEventLoop loop;
        QObject::connect(&manager, &DatabaseManager::searchDataRefreshed, &loop, &QEventLoop::quit);
        QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
        loop.exec();
        results = manager.search(text, true);
    }
    return results;
}

} // namespace

int runQueryCommand(const QueryCommand& command) {
    auto manager = makeManager();
    return printOutput(resultsOutput(
        searchWaitingForLookups(*manager, command.text, command.waitSeconds), command.json));
}

int runOpenCommand(const OpenCommand& command) {
    auto manager = makeManager();
    const QList<SearchResult> results =
        searchWaitingForLookups(*manager, command.text, command.waitSeconds);
    if (auto missing = missingResult(command, results))
        return printOutput(*missing);
    const SearchResult result = results.at(command.index);
    const ResultActivationMode requested =
        command.reveal ? ResultActivationMode::revealInFileBrowser : ResultActivationMode::open;

    LinuxWorkspace workspace;
    ClipboardServer clipboard;
    DryRunWorkspace dryRunWorkspace;
    DryRunClipboard dryRunClipboard;
    ResultActivator activator(command.dryRun ? static_cast<Workspace&>(dryRunWorkspace) : workspace,
                              command.dryRun ? static_cast<Clipboard&>(dryRunClipboard) : clipboard,
                              command.dryRun ? BrowserTabFocuser()
                                             : BrowserTabFocuser(openTabPageInItsBrowser));

    const ActivationRun run =
        activateResult(*manager, activator, {result, requested, command.text, results, false});
    const CommandOutput output =
        activationOutput(run.outcome, command.dryRun ? &dryRunWorkspace : nullptr,
                         command.dryRun ? &dryRunClipboard : nullptr);
    if (run.outcome.status != ActivationStatus::needsWindow &&
        run.outcome.status != ActivationStatus::noAction) {
        // The engine lives on this thread: its queue, and the file manager's
        // answers to reveals, are served by the application's loop.
        quitWhenSettled(run.stored, workspace);
        QCoreApplication::exec();
    }
    return printOutput(output);
}

} // namespace trovi::app
