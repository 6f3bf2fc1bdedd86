#pragma once
// `trovi query` and `trovi open` run by the running launcher for this process,
// which prints what the command printed. Shared by the front end and by the
// full program, which asks when the front end could not (a folder whose mode
// it had to tighten first, a command line only the full parser reads).

#include <string>

namespace trovi::frontend {

// `line` is the encoded request. The exit status once the launcher's answer
// is printed, or -1 when this process is to run the command itself (nobody
// listens, or a query got no usable answer: a note on stderr says so then).
// A command that may have run already is never run twice: `repeatable` is
// false for `open`, which then fails. `reached` says whether a launcher was
// there to ask, so that the command is not asked for twice.
int runInRunningLauncher(const std::string& line, double waitSeconds, bool repeatable,
                         bool& reached);

} // namespace trovi::frontend
