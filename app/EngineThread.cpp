#include "EngineThread.h"

#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/engine/manager/DatabaseManager.h"

namespace trovi::app {

EngineThread::EngineThread(std::unique_ptr<DatabaseManager> engine,
                           std::shared_ptr<TranslationEngines> translationEngines)
    : m_engine(std::move(engine)), m_translationEngines(std::move(translationEngines)) {
    m_thread.setObjectName(QStringLiteral("trovi-engine"));
    m_engine->moveToThread(&m_thread);
    m_thread.start();
}

EngineThread::~EngineThread() {
    stop();
}

void EngineThread::stop() {
    if (!m_engine)
        return;
    if (m_translationEngines)
        m_translationEngines->shutDown();
    // Destroyed where it lives: its timers, watcher and pool belong to that thread.
    QObject context;
    context.moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        &context, [this] { m_engine.reset(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

} // namespace trovi::app
