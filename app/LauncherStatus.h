#pragma once
// `trovi status`: what the running launcher's window shows, read on its GUI
// thread and printed by a separate process. It is how scripts, status bars and
// tests on Wayland see the window without X11 tools.

#include "CommandLine.h"

#include <QByteArray>

namespace trovi {
class LauncherWindow;
}

namespace trovi::app {

// The window's state as one compact JSON object (the running launcher's answer).
QByteArray launcherStatusJson(const LauncherWindow& window);

// Asks the running launcher; `"running": false` (exit 0) when none runs.
int runStatusCommand(const StatusCommand& command);

} // namespace trovi::app
