#pragma once
// Starts the launcher window on the shared engine.

namespace trovi::app {

int runLauncher(int argc, char** argv);

} // namespace trovi::app
