#pragma once
// What `trovi query` and `trovi open` print, made once for both ways they
// run: in this process, or in the running launcher, which sends the output
// back to the process that asked, to be printed there unchanged.

#include "DryRun.h"

#include "launcher/engine/model/SearchResult.h"
#include "launcher/platform/linux/InstanceRequest.h"
#include "launcher/session/ActivationOutcome.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace trovi::app {

struct OpenCommand;

using CommandOutput = InstanceCommandOutput;

// The ranked list as a table, or as one JSON array with --json.
CommandOutput resultsOutput(const QList<SearchResult>& results, bool json);
// The error when `command` asks for a result the list does not have.
std::optional<CommandOutput> missingResult(const OpenCommand& command,
                                           const QList<SearchResult>& results);
// What an activation reports; with a dry run, what it would have done.
CommandOutput activationOutput(const ActivationOutcome& outcome,
                               const DryRunWorkspace* dryWorkspace,
                               const DryRunClipboard* dryClipboard);

// Writes both streams and returns the exit status.
int printOutput(const CommandOutput& output);

} // namespace trovi::app
