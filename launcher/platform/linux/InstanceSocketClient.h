#pragma once
// The asking end of this user's launcher socket, in plain C++ with blocking
// calls bounded by a deadline: the `trovi` front end uses it without Qt, and
// the full program's second launches and notifications go through it too.

#include <chrono>
#include <string>

namespace trovi {

struct LauncherAnswer {
    enum class Outcome {
        answered,     // a command's exitStatus, out and err; a launch's "ok" (and what followed, in
                      // out)
        notListening, // nobody there, or turned away before reading: nothing was applied
        unsafe,       // the folder or the peer is not this user's alone: nothing was sent
        refused,      // "error <reason>" (or another reply) came back; it is in `message`
        failed,       // sent, but no usable answer came in time: it may have been applied
    };
    Outcome outcome = Outcome::notListening;
    int exitStatus = 0;
    std::string out;
    std::string err;
    std::string message;
};

// A command's answer body, "<exit status> <stdout length>\n<stdout><stderr>",
// into `answer`; false when it is malformed.
bool parseLauncherAnswerBody(const std::string& body, LauncherAnswer& answer);

// The private folder the launcher listens in: $XDG_DATA_HOME (when absolute),
// else $HOME/.local/share, then the launcher's own folder.
std::string launcherSocketFolder();

// Sends a command line (query, open) to the socket `name` in `folder` and
// reads its framed answer, whose body may not exceed kMaximumInstanceAnswer.
LauncherAnswer askRunningLauncher(const std::string& folder, const std::string& name,
                                  const std::string& line,
                                  std::chrono::steady_clock::time_point deadline);

// Sends one request line (a launch, a notification, a status request) and
// reads the one-line reply. Once sent, the reply gets a few seconds even past
// the deadline: a busy launcher may read the line late, and a resend would
// apply it twice.
LauncherAnswer handOverToRunningLauncher(const std::string& folder, const std::string& name,
                                         const std::string& line,
                                         std::chrono::steady_clock::time_point deadline);

} // namespace trovi
