#pragma once
// Asks this user's running launcher to run a command over its socket, with
// plain blocking calls bounded by a deadline: the front end has no Qt.

#include <chrono>
#include <string>

namespace trovi::frontend {

struct LauncherAnswer {
    enum class Outcome {
        answered,     // exitStatus, out and err hold what the command printed
        notListening, // nobody there: the request did not leave this process
        refused,      // "error <reason>" came back; the reason is in `message`
        failed,       // sent, but no usable answer came before the deadline
    };
    Outcome outcome = Outcome::notListening;
    int exitStatus = 0;
    std::string out;
    std::string err;
    std::string message;
};

// The private folder the launcher listens in: $XDG_DATA_HOME (when absolute),
// else $HOME/.local/share, then the launcher's own folder.
std::string launcherSocketFolder();

// Connects to the socket in `folder` (refused unless this user owns it and
// nobody else may enter it), sends `line` and reads the framed answer.
LauncherAnswer askRunningLauncher(const std::string& folder, const std::string& line,
                                  std::chrono::steady_clock::time_point deadline);

// Hands a second launch's request over and reads the one-line reply: answered
// on "ok", refused with the reply otherwise. A request that went out but got
// no reply is `failed`: it may have been applied, so it is not sent again.
LauncherAnswer handOverToRunningLauncher(const std::string& folder, const std::string& line,
                                         std::chrono::steady_clock::time_point deadline);

} // namespace trovi::frontend
