#include "ResidentCommandRunner.h"

#include "CommandLine.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"

#include <QDeadlineTimer>
#include <QFutureWatcher>
#include <QTimer>

#include <memory>
#include <utility>

namespace trovi::app {

namespace {

using Results = QList<SearchResult>;

// Searches, then, while a lookup this search started is running and the wait
// has not run out, searches again each time the engine reports new data; a
// last search once the wait is over. Lives on the caller's thread; deletes
// itself when done.
class WaitingSearch : public QObject {
public:
    WaitingSearch(DatabaseManager& engine, QString text, double waitSeconds,
                  std::function<void(const Results&)> done, QObject* parent)
        : QObject(parent), m_engine(engine), m_text(std::move(text)),
          m_deadline(qint64(waitSeconds * 1000)), m_done(std::move(done)) {
        connect(&m_engine, &DatabaseManager::searchDataRefreshed, this, [this] {
            m_refreshed = true;
            if (m_waiting)
                search();
        });
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_last = true;
            if (m_waiting)
                search();
        });
        search();
    }

private:
    void search() {
        m_waiting = false;
        m_refreshed = false;
        m_engine
            .run([text = m_text](DatabaseManager& engine) {
                Results results = engine.search(text, true);
                return std::make_pair(std::move(results), engine.hasPendingLookups());
            })
            .then(this, [this](const std::pair<Results, bool>& answer) {
                if (!answer.second || m_last || m_deadline.hasExpired()) {
                    m_done(answer.first);
                    deleteLater();
                } else if (m_refreshed) {
                    search(); // the data changed while this search ran
                } else {
                    m_waiting = true;
                    if (!m_timer.isActive())
                        m_timer.start(int(m_deadline.remainingTime()));
                }
            });
    }

    DatabaseManager& m_engine;
    const QString m_text;
    const QDeadlineTimer m_deadline;
    std::function<void(const Results&)> m_done;
    QTimer m_timer;
    bool m_waiting = false, m_refreshed = false, m_last = false;
};

CommandOutput refused(const QString& message) {
    CommandOutput output;
    output.exitStatus = 2;
    output.err = "trovi: " + message.toUtf8() + '\n';
    return output;
}

} // namespace

ResidentCommandRunner::ResidentCommandRunner(DatabaseManager& engine, ResultActivator& activator,
                                             QObject* parent)
    : QObject(parent), m_engine(engine), m_activator(activator) {}

void ResidentCommandRunner::run(const InstanceCommand& request,
                                std::function<void(const CommandOutput&)> done) {
    const Command command = parseCommandLine(QStringList{request.verb} + request.arguments);
    if (const auto* query = std::get_if<QueryCommand>(&command)) {
        new WaitingSearch(
            m_engine, query->text, query->waitSeconds,
            [done, json = query->json](const Results& results) {
                done(resultsOutput(results, json));
            },
            this);
        return;
    }
    const auto* open = std::get_if<OpenCommand>(&command);
    if (!open) {
        const auto* usage = std::get_if<UsageError>(&command);
        done(refused(usage ? usage->message : QStringLiteral("not a query or an open")));
        return;
    }
    new WaitingSearch(
        m_engine, open->text, open->waitSeconds,
        [this, done, command = *open](const Results& results) {
            if (auto missing = missingResult(command, results)) {
                done(*missing);
                return;
            }
            // The dry run's stand-ins live until the answer is made.
            auto dryWorkspace = std::make_shared<DryRunWorkspace>();
            auto dryClipboard = std::make_shared<DryRunClipboard>();
            ResultActivator dryRun(*dryWorkspace, *dryClipboard);
            const ActivationRun run =
                activateResult(m_engine, command.dryRun ? dryRun : m_activator,
                               {results.at(command.index),
                                command.reveal ? ResultActivationMode::revealInFileBrowser
                                               : ResultActivationMode::open,
                                command.text, results, false});
            // Answered once the use is stored, as a standalone run exits then.
            auto* stored = new QFutureWatcher<void>(this);
            connect(stored, &QFutureWatcher<void>::finished, this,
                    [stored, done, outcome = run.outcome, dryWorkspace, dryClipboard,
                     dry = command.dryRun] {
                        stored->deleteLater();
                        done(activationOutput(outcome, dry ? dryWorkspace.get() : nullptr,
                                              dry ? dryClipboard.get() : nullptr));
                    });
            stored->setFuture(run.stored);
        },
        this);
}

} // namespace trovi::app
