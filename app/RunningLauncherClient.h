#pragma once
// `trovi query` and `trovi open` asked of the running launcher, before this
// process loads anything else: no application object, no engine. The
// launcher answers from its warm catalogues with what the command prints.

#include <QStringList>

#include <optional>

namespace trovi::app {

// `arguments` are the command line after the program name. The exit status
// once the launcher's answer is printed; nothing when this process is to run
// the command itself (no launcher listens, or a query got no usable answer:
// a note on stderr says so then). A command that may have run already is
// never run twice: `repeatable` is false for `open`, which then fails.
std::optional<int> runInRunningLauncher(const QStringList& arguments, double waitSeconds,
                                        bool repeatable);

} // namespace trovi::app
