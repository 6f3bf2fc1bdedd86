#pragma once
// `trovi shortcut install|remove` on the command line.

#include "CommandLine.h"

namespace trovi::app {

int runShortcutCommand(const ShortcutCommand& command);

} // namespace trovi::app
