#pragma once
// Owns the window's engine and the thread it runs on, and stops both in
// order: the translation helper first (a lookup waiting on it would hold up
// the engine's pool), then the engine on its own thread (its watchers and
// background work end there), then the thread.

#include <QThread>

#include <memory>

namespace trovi {
class DatabaseManager;
class TranslationEngines;
} // namespace trovi

namespace trovi::app {

class EngineThread {
public:
    EngineThread(std::unique_ptr<DatabaseManager> engine,
                 std::shared_ptr<TranslationEngines> translationEngines);
    ~EngineThread();
    EngineThread(const EngineThread&) = delete;
    EngineThread& operator=(const EngineThread&) = delete;

    DatabaseManager& engine() { return *m_engine; }
    // Idempotent; call on the thread that built this object.
    void stop();

private:
    std::unique_ptr<DatabaseManager> m_engine;
    std::shared_ptr<TranslationEngines> m_translationEngines;
    QThread m_thread;
};

} // namespace trovi::app
