#pragma once
// The command-line commands: one search (and optionally one activation) with
// the real engine, printed to standard output. Diagnostics go to stderr.

#include "CommandLine.h"

namespace trovi::app {

int runQueryCommand(const QueryCommand& command);
int runOpenCommand(const OpenCommand& command);

} // namespace trovi::app
