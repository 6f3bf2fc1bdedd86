#include "launcher/clients/translation/ChildProcess.h"

#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace trovi {

namespace {

// A write to a helper that died must fail with EPIPE, not end the launcher.
void ignoreSigpipeOnce() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

int pollTimeout(const QDeadlineTimer& deadline) {
    const qint64 left = deadline.remainingTime();
    return left < 0 ? -1 : int(std::min<qint64>(left, 60'000));
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const QString& program,
                                                  const QStringList& arguments,
                                                  const QStringList& environment, Streams streams) {
    ignoreSigpipeOnce();
    int input[2] = {-1, -1}, output[2] = {-1, -1};
    if (streams == Streams::pipes) {
        if (::pipe2(input, O_CLOEXEC) != 0)
            return nullptr;
        if (::pipe2(output, O_CLOEXEC) != 0) {
            ::close(input[0]);
            ::close(input[1]);
            return nullptr;
        }
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (streams == Streams::pipes) {
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const QByteArray path = program.toLocal8Bit();
    std::vector<QByteArray> storage;
    storage.push_back(path);
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    const size_t argumentCount = storage.size();
    for (const QString& entry : environment)
        storage.push_back(entry.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (size_t i = 0; i < storage.size(); ++i)
        (i < argumentCount ? argv : envp).push_back(storage[i].data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);

    auto child = std::unique_ptr<ChildProcess>(new ChildProcess);
    if (streams == Streams::pipes) {
        ::close(input[0]);
        ::close(output[1]);
        child->m_stdin = input[1];
        child->m_stdout = output[0];
        ::fcntl(child->m_stdin, F_SETFL, ::fcntl(child->m_stdin, F_GETFL) | O_NONBLOCK);
        ::fcntl(child->m_stdout, F_SETFL, ::fcntl(child->m_stdout, F_GETFL) | O_NONBLOCK);
    }
    if (error != 0)
        return nullptr; // the destructor of `child` closes the pipes
    child->m_pid = pid;
    return child;
}

ChildProcess::~ChildProcess() {
    closeFd(m_stdin);
    closeFd(m_stdout);
    if (m_pid > 0 && !m_exitStatus)
        terminate(QDeadlineTimer(500));
}

void ChildProcess::reap(int options) {
    if (m_pid <= 0 || m_exitStatus)
        return;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(m_pid, &status, options);
    } while (result < 0 && errno == EINTR);
    if (result == m_pid)
        m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    else if (result < 0)
        m_exitStatus = -1; // not our child any more: treat as gone
}

bool ChildProcess::isRunning() {
    reap(WNOHANG);
    return m_pid > 0 && !m_exitStatus;
}

bool ChildProcess::waitForExit(QDeadlineTimer deadline) {
    // Children exit within milliseconds here; a short poll keeps this free of
    // SIGCHLD handling, which would clash with QProcess in the same program.
    for (;;) {
        reap(WNOHANG);
        if (m_exitStatus)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::usleep(1000);
    }
}

void ChildProcess::terminate(QDeadlineTimer grace) {
    if (!isRunning())
        return;
    ::kill(m_pid, SIGTERM);
    if (waitForExit(grace))
        return;
    ::kill(m_pid, SIGKILL);
    reap(0);
}

bool ChildProcess::write(const QByteArray& bytes, QDeadlineTimer deadline) {
    if (m_stdin < 0)
        return false;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_stdin, bytes.constData() + written, bytes.size() - written);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd fd{m_stdin, POLLOUT, 0};
        if (::poll(&fd, 1, pollTimeout(deadline)) <= 0 || (fd.revents & (POLLERR | POLLHUP)))
            return false;
    }
    return true;
}

ChildProcess::ReadStatus ChildProcess::read(QByteArray& into, QDeadlineTimer deadline,
                                            int interruptFd) {
    if (m_stdout < 0)
        return ReadStatus::closed;
    for (;;) {
        char buffer[4096];
        const ssize_t n = ::read(m_stdout, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, n);
            return ReadStatus::data;
        }
        if (n == 0)
            return ReadStatus::closed;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return ReadStatus::closed;
        pollfd fds[2] = {{m_stdout, POLLIN, 0}, {interruptFd, POLLIN, 0}};
        const int ready = ::poll(fds, interruptFd >= 0 ? 2 : 1, pollTimeout(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return ReadStatus::timedOut;
        if (interruptFd >= 0 && (fds[1].revents & POLLIN))
            return ReadStatus::interrupted;
    }
}

} // namespace trovi
