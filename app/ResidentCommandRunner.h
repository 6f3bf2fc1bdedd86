#pragma once
// `trovi query` and `trovi open` run inside the running launcher for the
// process that asks: the same search and activation as a standalone run, on
// the launcher's engine thread, answered without blocking the window. Each
// command waits for the lookups its search started as long as it asked.

#include "CommandOutput.h"

#include <QObject>

#include <functional>

namespace trovi {
class DatabaseManager;
class ResultActivator;
} // namespace trovi

namespace trovi::app {

class ResidentCommandRunner : public QObject {
    Q_OBJECT
public:
    ResidentCommandRunner(DatabaseManager& engine, ResultActivator& activator,
                          QObject* parent = nullptr);

    // `done` is called once, on this object's thread, unless this object is
    // destroyed first.
    void run(const InstanceCommand& command, std::function<void(const CommandOutput&)> done);

private:
    DatabaseManager& m_engine;
    ResultActivator& m_activator;
};

} // namespace trovi::app
