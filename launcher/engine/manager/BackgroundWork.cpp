#include "launcher/engine/manager/BackgroundWork.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace trovi {

void lowerCurrentThreadPriority() {
    static thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
}

BackgroundWork::BackgroundWork(QObject* owner, int maxThreads) : m_owner(owner) {
    m_pool.setMaxThreadCount(maxThreads);
}

BackgroundWork::~BackgroundWork() {
    m_aborted->store(true);
    m_pool.waitForDone();
}

void BackgroundWork::run(const QString& key, BackgroundJob job) {
    runPrepared(key, [job = std::move(job)] { return job; });
}

void BackgroundWork::runPrepared(const QString& key, std::function<BackgroundJob()> prepare) {
    Slot& slot = m_slots[key];
    if (slot.running) {
        slot.pending = std::move(prepare);
        return;
    }
    BackgroundJob job = prepare();
    if (!job) {
        m_slots.remove(key);
        return;
    }
    start(key, std::move(job));
}

void BackgroundWork::start(const QString& key, BackgroundJob job) {
    m_slots[key].running = true;
    m_pool.start([this, key, job = std::move(job), owner = m_owner, aborted = m_aborted] {
        lowerCurrentThreadPriority();
        if (aborted->load())
            return;
        BackgroundStep step = job();
        if (aborted->load() || !owner)
            return;
        // The owner outlives this object's pool (the destructor waits), and a
        // queued call to a destroyed owner is discarded with it.
        QMetaObject::invokeMethod(
            owner.data(),
            [this, key, owner, aborted, step = std::move(step)] {
                if (aborted->load() || !owner)
                    return;
                if (step)
                    step();
                finished(key);
            },
            Qt::QueuedConnection);
    });
}

void BackgroundWork::finished(const QString& key) {
    auto it = m_slots.find(key);
    if (it == m_slots.end())
        return;
    std::function<BackgroundJob()> pending = std::move(it->pending);
    m_slots.erase(it);
    if (pending)
        runPrepared(key, std::move(pending));
}

} // namespace trovi
