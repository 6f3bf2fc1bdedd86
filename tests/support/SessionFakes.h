#pragma once
// Stand-ins for what the launcher session talks to: an engine whose searches
// answer when the test says so, and a host that records what it was asked.

#include "launcher/session/ContentView.h"
#include "launcher/session/LauncherHost.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/ManualScheduler.h"
#include "tests/support/RecordingPlatform.h"

#include <QPromise>
#include <QStringList>

#include <functional>
#include <memory>

namespace trovi::test {

class PendingSearchEngine : public LauncherSearchEngine {
public:
    struct Call {
        QString query;
        bool allowPersistentQueryCache;
        SearchTicket ticket;
        std::shared_ptr<QPromise<QList<SearchResult>>> promise;
    };

    QFuture<QList<SearchResult>> search(const QString& query, bool allowPersistentQueryCache,
                                        const SearchTicket& ticket) override {
        auto promise = std::make_shared<QPromise<QList<SearchResult>>>();
        promise->start();
        calls.append({query, allowPersistentQueryCache, ticket, promise});
        return promise->future();
    }
    // Carries the result out with `activator` (when set), as the real
    // sequence would after recording.
    ActivationRun activate(const ActivationRequest& request) override {
        requests.append(request);
        if (!activator)
            return {};
        return {activator->activate(request.result,
                                    effectiveActivationMode(request.result, request.mode)),
                QtFuture::makeReadyFuture()};
    }

    // An early list for call `index`, the whole one still to come.
    void answerEarly(qsizetype index, const QList<SearchResult>& results) {
        calls[index].promise->addResult(results);
    }
    // Answers call `index`; the continuation runs on the next event-loop turn.
    void answer(qsizetype index, const QList<SearchResult>& results) {
        calls[index].promise->addResult(results);
        calls[index].promise->finish();
    }

    ResultActivator* activator = nullptr;
    QList<Call> calls;
    QList<ActivationRequest> requests;
};

class RecordingHost : public LauncherHost {
public:
    void hideLauncher() override {
        ++hides;
        if (onHide)
            onHide();
    }
    void showSettingsWindow() override { ++settingsShown; }
    void terminate() override {}
    bool isCommandKeyHeld() const override { return false; }
    QString clipboardText() const override { return clipboard; }

    std::function<void()> onHide; // the real window tells its view it disappeared
    int hides = 0;
    int settingsShown = 0;
    QString clipboard;
};

// Everything a session needs, with activations carried out on recording stand-ins.
struct SessionParts {
    InMemoryPreferenceStore preferences;
    NotificationCenter notifications;
    ManualScheduler scheduler;
    PendingSearchEngine engine;
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator{workspace, clipboard};

    SessionParts() { engine.activator = &activator; }
    ContentViewServices services(LauncherHost* host = nullptr) {
        ContentViewServices s;
        s.preferences = &preferences;
        s.engine = &engine;
        s.host = host;
        s.scheduler = &scheduler;
        s.notifications = &notifications;
        s.clock = scheduler.clock();
        return s;
    }
};

} // namespace trovi::test
