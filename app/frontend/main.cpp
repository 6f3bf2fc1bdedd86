// The `trovi` executable: a front end linked against the C and C++ runtimes
// only. A second launch, `trovi query`, `trovi open` and `trovi status --json`
// go straight to the running launcher, which shows its window or answers from
// its warm catalogues in about a millisecond; everything else (the launcher
// itself, the other commands, and these when no launcher runs) loads the full
// program, which brings Qt.

#include "FastCommand.h"
#include "LauncherCommand.h"

#include "launcher/platform/linux/InstanceProtocol.h"
#include "launcher/platform/linux/InstanceSocketClient.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace trovi::frontend;

namespace {

using trovi::LauncherAnswer;
using Outcome = LauncherAnswer::Outcome;

// A second launch handed over: 0 once the launcher took it, 1 when it may
// have taken it without saying so (never sent twice), -1 when the full
// program is to start the launcher or explain why it cannot.
int handOverLaunch(const std::string& line) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(trovi::kInstanceHandOverMilliseconds);
    const LauncherAnswer answer = trovi::handOverToRunningLauncher(
        trovi::launcherSocketFolder(), trovi::kInstanceSocketName, line, deadline);
    if (answer.outcome == Outcome::answered)
        return 0;
    if (answer.outcome != Outcome::failed)
        return -1;
    std::fprintf(stderr, "trovi: the request did not reach the running launcher: %s\n",
                 answer.message.c_str());
    return 1;
}

bool hasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

// Empty when it cannot be known: then nothing is loaded, least of all from
// the current folder.
std::string executableFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || std::size_t(length) >= sizeof path || path[0] != '/')
        return {};
    const std::string executable(path, std::size_t(length));
    return executable.substr(0, executable.rfind('/'));
}

// The full program: beside this executable in a build, in ../lib/trovi once installed.
int runFullProgram(int argc, char** argv, bool launcherAsked) {
    const std::string folder = executableFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "trovi: cannot find where trovi is installed (/proc/self/exe)\n");
        return 127;
    }
    std::string problem;
    for (const std::string& candidate :
         {folder + "/libtrovi-program.so", folder + "/../lib/trovi/libtrovi-program.so"}) {
        if (::access(candidate.c_str(), F_OK) != 0)
            continue;
        void* program = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (!program) {
            problem = ::dlerror();
            break;
        }
        using Main = int (*)(int, char**, int);
        if (auto run = reinterpret_cast<Main>(::dlsym(program, "trovi_program_main")))
            return run(argc, argv, launcherAsked ? 1 : 0);
        problem = candidate + ": no trovi_program_main";
        break;
    }
    if (problem.empty())
        problem =
            "libtrovi-program.so is neither in " + folder + " nor in " + folder + "/../lib/trovi";
    std::fprintf(stderr, "trovi: the launcher is not installed completely: %s\n", problem.c_str());
    return 127;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    bool reached = false;
    if (const auto command = fastCommand(arguments))
        if (const int status = runInRunningLauncher(encodeRequest(*command), command->waitSeconds,
                                                    command->repeatable, reached);
            status >= 0)
            return status;
    // Status bars ask often: the running launcher's own JSON, printed as is.
    if (arguments == std::vector<std::string>{"status", "--json"}) {
        const LauncherAnswer status = trovi::handOverToRunningLauncher(
            trovi::launcherSocketFolder(), trovi::kInstanceSocketName,
            "trovi/" + std::to_string(trovi::kInstanceProtocolVersion) + " status",
            std::chrono::steady_clock::now() + std::chrono::seconds(5));
        if (status.outcome == Outcome::answered && status.out.size() > 1 && status.out[0] == '{') {
            const std::string line = status.out + '\n';
            return std::fwrite(line.data(), 1, line.size(), stdout) == line.size() ? 0 : 1;
        }
        // Sent but unanswered or refused: asking again would only wait again.
        if (status.outcome == Outcome::refused || status.outcome == Outcome::failed) {
            std::fprintf(stderr,
                         status.outcome == Outcome::refused
                             ? "trovi: the running launcher refused the request: %s\n"
                             : "trovi: %s\n",
                         status.message.c_str());
            return 1;
        }
    }
    // The desktop's shortcut on Wayland runs `trovi`: the window shows without
    // this process loading anything. Started by that shortcut, the running
    // window may take focus with the token the compositor gave this launch.
    const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
    if (hasDisplay())
        if (const auto line =
                launchRequest(arguments, token ? token : "", std::chrono::system_clock::now()))
            if (const int status = handOverLaunch(*line); status >= 0)
                return status;
    return runFullProgram(argc, argv, reached);
}
