#include "LauncherCommand.h"

#include "launcher/platform/linux/InstanceProtocol.h"
#include "launcher/platform/linux/InstanceSocketClient.h"

#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace trovi::frontend {

namespace {

void writeAll(int fd, const std::string& bytes) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count <= 0)
            return;
        written += std::size_t(count);
    }
}

} // namespace

int runInRunningLauncher(const std::string& line, double waitSeconds, bool repeatable,
                         bool& reached) {
    reached = false;
    // The launcher would drop the line unread: run it here.
    if (std::ptrdiff_t(line.size()) >= kMaximumInstanceRequestLine)
        return -1;
    // The launcher waits for lookups as long as asked; beyond that it gets
    // what a second launch gets to hand over.
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(long(waitSeconds * 1000) + kInstanceHandOverMilliseconds);
    const LauncherAnswer answer =
        askRunningLauncher(launcherSocketFolder(), kInstanceSocketName, line, deadline);
    using Outcome = LauncherAnswer::Outcome;
    reached = answer.outcome != Outcome::notListening && answer.outcome != Outcome::unsafe;
    switch (answer.outcome) {
    case Outcome::answered:
        writeAll(STDOUT_FILENO, answer.out);
        writeAll(STDERR_FILENO, answer.err);
        return answer.exitStatus;
    case Outcome::notListening:
    case Outcome::unsafe:
        return -1;
    case Outcome::refused:
        // Refused requests did not run, except one whose answer was too long.
        if (repeatable || answer.message != "answer-too-large") {
            std::fprintf(stderr,
                         "trovi: the running launcher refused the request (%s); answering here "
                         "instead\n",
                         answer.message.c_str());
            return -1;
        }
        break;
    case Outcome::failed:
        if (repeatable) {
            std::fprintf(stderr, "trovi: %s; answering here instead\n", answer.message.c_str());
            return -1;
        }
        break;
    }
    std::fprintf(stderr,
                 "trovi: %s; the running launcher may have carried out the request, so it is not "
                 "repeated here\n",
                 answer.message.c_str());
    return 1;
}

} // namespace trovi::frontend
