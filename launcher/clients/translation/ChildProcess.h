#pragma once
// A child process driven from whichever thread needs it (unlike QProcess,
// which belongs to the thread that made it): its pipes non-blocking, every
// wait bounded by a deadline and interruptible.
//
// A child never outlives the launcher: it runs in its own process group,
// which is ended as a whole (so the helper's own children go too), and a
// small guardian process at the group's head ends the group if the launcher
// dies without stopping it. `pid()` is the guardian's, which is the group's
// id and exits with the helper's status. It starts in
// "/" so nothing in the launcher's working folder is picked up by accident.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <sys/types.h>

namespace trovi {

class ChildProcess {
public:
    enum class Streams {
        none,  // standard input, output and error go to the null device
        pipes, // standard input and output are pipes; error goes to the null device
    };
    enum class ReadStatus { data, timedOut, closed, interrupted };

    // `environment` holds "NAME=value" entries. Nothing when the program
    // cannot be launched.
    static std::unique_ptr<ChildProcess> start(const QString& program, const QStringList& arguments,
                                               const QStringList& environment, Streams streams);
    ~ChildProcess(); // terminates a child that still runs

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool isRunning();
    // True when the child exited before the deadline; its status is then known.
    bool waitForExit(QDeadlineTimer deadline);
    std::optional<int> exitStatus() const { return m_exitStatus; }
    // SIGTERM to its process group, up to `grace` for it to exit, then
    // SIGKILL to the group.
    void terminate(QDeadlineTimer grace);

    pid_t pid() const { return m_pid; }
    bool hasPipes() const { return m_stdin >= 0 && m_stdout >= 0; }
    // Writes all bytes before the deadline, or fails (closed pipe, timeout).
    bool write(const QByteArray& bytes, QDeadlineTimer deadline);
    // Appends whatever output is available, waiting until the deadline for
    // some. `interruptFd` (optional) ends the wait when it becomes readable.
    ReadStatus read(QByteArray& into, QDeadlineTimer deadline, int interruptFd = -1);

private:
    ChildProcess() = default;
    void reap(int options);

    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    std::optional<int> m_exitStatus;
    bool m_groupEnded = false;
};

} // namespace trovi
