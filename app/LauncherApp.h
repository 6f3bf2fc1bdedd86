#pragma once
// Starts the resident launcher: assembles the engine, the window and the shell
// around them, runs until quit, then stops them in order.

#include "CommandLine.h"

#include <memory>

namespace trovi {
class SingleInstanceController;
}

namespace trovi::app {

// `instance` holds the per-user lock (or none when several may run).
int runLauncher(int argc, char** argv, std::unique_ptr<SingleInstanceController> instance,
                StartLauncher::Intent intent);

} // namespace trovi::app
