#include "CommandRunner.h"

#include "ClipboardServer.h"
#include "DryRun.h"
#include "EngineBuilder.h"
#include "QuitWhenSettled.h"
#include "TerminalOutput.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/engine/model/SearchResultRecord.h"
#include "launcher/platform/linux/BrowserTabOpener.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
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

QString kindLabel(const SearchResult& result) {
    if (result.kind == SearchResultKind::action && result.action)
        return toString(*result.action);
    return toString(result.kind);
}

QString elided(const QString& text, int width) {
    QString single = text;
    single.replace(u'\n', u' ');
    if (single.size() <= width)
        return single;
    return single.left(width - 1) + QChar(0x2026);
}

void printTable(const QList<SearchResult>& results) {
    constexpr int kTitleMax = 48, kSubtitleMax = 60;
    int titleWidth = 5, subtitleWidth = 8, kindWidth = 4;
    for (const SearchResult& r : results) {
        titleWidth =
            std::max(titleWidth, int(std::min<qsizetype>(r.displayName().size(), kTitleMax)));
        subtitleWidth =
            std::max(subtitleWidth, int(std::min<qsizetype>(r.directory.size(), kSubtitleMax)));
        kindWidth = std::max(kindWidth, int(kindLabel(r).size()));
    }
    for (const SearchResult& r : results) {
        QString marks;
        if (r.isRecentActivation)
            marks += QStringLiteral(" recent");
        // A translation row keeps its score where other rows keep open counts.
        if (r.openCount > 0 && r.action != SearchResultAction::copyToClipboard)
            marks += QStringLiteral(" opened %1x").arg(r.openCount);
        printLine(stdout, QStringLiteral("%1  %2  %3  %4%5")
                              .arg(elided(r.displayName(), kTitleMax), -titleWidth)
                              .arg(elided(r.directory, kSubtitleMax), -subtitleWidth)
                              .arg(kindLabel(r), -kindWidth)
                              .arg(r.relevanceScore.value_or(0), 6)
                              .arg(marks));
    }
}

void printJson(const QList<SearchResult>& results) {
    QJsonArray array;
    for (const SearchResult& r : results)
        array.append(searchResultJson(r));
    std::fprintf(stdout, "%s\n", QJsonDocument(array).toJson(QJsonDocument::Indented).constData());
}

} // namespace

int runQueryCommand(const QueryCommand& command) {
    auto manager = makeManager();
    const QList<SearchResult> results =
        searchWaitingForLookups(*manager, command.text, command.waitSeconds);
    if (command.json)
        printJson(results);
    else
        printTable(results);
    return 0;
}

int runOpenCommand(const OpenCommand& command) {
    auto manager = makeManager();
    const QList<SearchResult> results =
        searchWaitingForLookups(*manager, command.text, command.waitSeconds);
    if (command.index >= results.size()) {
        printLine(stderr,
                  results.isEmpty()
                      ? QStringLiteral("trovi: no results for \"%1\"").arg(command.text)
                      : QStringLiteral("trovi: no result at index %1 for \"%2\" (%3 results)")
                            .arg(command.index)
                            .arg(command.text)
                            .arg(results.size()));
        return 1;
    }
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
    const ActivationOutcome& outcome = run.outcome;
    if (outcome.status == ActivationStatus::needsWindow ||
        outcome.status == ActivationStatus::noAction) {
        printLine(stderr, QStringLiteral("trovi: ") + outcome.message);
        return 1;
    }
    // The engine lives on this thread: its queue, and the file manager's
    // answers to reveals, are served by the application's loop.
    quitWhenSettled(run.stored, workspace);
    QCoreApplication::exec();

    if (command.dryRun) {
        for (const QString& line : dryRunWorkspace.actions())
            printLine(stdout, line);
        if (dryRunClipboard.text())
            printLine(stdout, QStringLiteral("copy ") + *dryRunClipboard.text());
        return 0;
    }
    switch (outcome.status) {
    case ActivationStatus::clipboardUnavailable:
        printLine(stdout, outcome.value);
        printLine(stderr, QStringLiteral("trovi: the value could not be copied: no clipboard is "
                                         "available without a display"));
        return 1;
    case ActivationStatus::openFailed:
        printLine(stderr, QStringLiteral("trovi: ") + outcome.message);
        return 1;
    default:
        if (!outcome.message.isEmpty())
            printLine(stdout, outcome.message);
        return 0;
    }
}

} // namespace trovi::app
