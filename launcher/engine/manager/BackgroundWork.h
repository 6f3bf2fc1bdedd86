#pragma once
// BackgroundWork: the engine's way of doing slow things off its thread. A job
// runs on a small low-priority pool and returns the step to apply on the
// owner's thread; the step is dropped when the owner is gone or shutting
// down. Work is keyed: while a key is in flight, further requests for it merge
// into one re-run after it (the latest request wins). Nothing here waits in an
// event loop.

#include "launcher/engine/sources/Source.h"

#include <QHash>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace trovi {

class BackgroundWork {
public:
    BackgroundWork(QObject* owner, int maxThreads);
    // Raises the abort flag, then waits for running jobs; their steps are dropped.
    ~BackgroundWork();

    // Call on the owner's thread.
    void run(const QString& key, BackgroundJob job);
    // Like run, but `prepare` builds the job on the owner's thread right before
    // it starts (also for a re-run) and may decline by returning no job.
    void runPrepared(const QString& key, std::function<BackgroundJob()> prepare);
    bool isRunning(const QString& key) const { return m_slots.value(key).running; }

    // Set when the owner shuts down; long jobs may stop early when it is.
    std::shared_ptr<const std::atomic_bool> abortFlag() const { return m_aborted; }
    // For a job that splits its work (it must not wait on its own pool slot).
    QThreadPool& pool() { return m_pool; }

private:
    struct Slot {
        bool running = false;
        std::function<BackgroundJob()> pending;
    };
    void start(const QString& key, BackgroundJob job);
    void finished(const QString& key);

    QPointer<QObject> m_owner;
    QHash<QString, Slot> m_slots;
    std::shared_ptr<std::atomic_bool> m_aborted = std::make_shared<std::atomic_bool>(false);
    QThreadPool m_pool;
};

// Builders walk whole home folders: keep them from competing with typing.
void lowerCurrentThreadPriority();

} // namespace trovi
