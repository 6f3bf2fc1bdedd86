#include "launcher/clients/translation/ChildProcess.h"

#include <QThread>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
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

// The kernel's parent-death signal follows the thread that forked, not the
// process: children are forked from one thread that lives as long as the
// launcher, so a helper started from a short-lived worker is not killed
// when that worker ends.
class SpawnThread {
public:
    static SpawnThread& instance() {
        static SpawnThread* const thread = new SpawnThread; // never ends: see above
        return *thread;
    }

    void run(const std::function<void()>& job) {
        std::unique_lock lock(m_mutex);
        const quint64 ticket = ++m_submitted;
        m_jobs.push_back(&job);
        m_wake.notify_all();
        m_done.wait(lock, [&] { return m_finished >= ticket; });
    }

private:
    SpawnThread() {
        std::thread([this] {
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_wake.wait(lock, [this] { return !m_jobs.empty(); });
                const std::function<void()>* job = m_jobs.front();
                m_jobs.pop_front();
                (*job)();
                ++m_finished;
                m_done.notify_all();
            }
        }).detach();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<const std::function<void()>*> m_jobs;
    quint64 m_submitted = 0, m_finished = 0;
};

// Sent to the guardian by the kernel when the launcher dies.
constexpr int kLauncherDied = SIGUSR1;

void endWholeGroup(int) {
    ::kill(0, SIGKILL);
}
void keepGuarding(int) {}

void setHandler(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    ::sigaction(signal, &action, nullptr);
}

// Between fork and exec only async-signal-safe calls are made.
[[noreturn]] void execHelper(int input, int output, int null, const char* path, char* const* argv,
                             char* const* envp, int errorPipe) {
    for (int signal : {SIGPIPE, SIGTERM, kLauncherDied})
        setHandler(signal, SIG_DFL);
    ::dup2(input >= 0 ? input : null, STDIN_FILENO);
    ::dup2(output >= 0 ? output : null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    if (::chdir("/") == 0)
        ::execve(path, argv, envp);
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// The forked child stays as a small guardian between the launcher and the
// helper, at the head of the helper's process group. The kernel's parent-death
// signal reaches only a direct child, so a helper's own children would outlive
// a launcher killed outright; the guardian gets that signal and ends the whole
// group. It passes SIGTERM on to nobody (the group gets it anyway) and exits
// with the helper's status.
[[noreturn]] void runGuardian(pid_t launcher, int input, int output, const char* path,
                              char* const* argv, char* const* envp, int errorPipe) {
    ::setpgid(0, 0);
    setHandler(SIGTERM, keepGuarding);
    setHandler(kLauncherDied, endWholeGroup);
    ::prctl(PR_SET_PDEATHSIG, kLauncherDied);
    if (::getppid() != launcher) // the launcher died before the line above
        ::_exit(127);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int null = ::open("/dev/null", O_RDWR);
    const pid_t guardian = ::getpid();
    const pid_t helper = ::fork();
    if (helper == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != guardian)
            ::_exit(127);
        execHelper(input, output, null, path, argv, envp, errorPipe);
    }
    if (helper < 0) {
        const int error = errno;
        [[maybe_unused]] const ssize_t ignored = ::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    // Hold nothing of the launcher's: a pipe end kept open here would hide
    // the helper's exit, or the launcher's own, from whoever reads it.
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        ::dup2(null, fd);
    ::close_range(3, ~0U, 0);
    int status = 0;
    for (;;) {
        const pid_t ended = ::waitpid(helper, &status, 0);
        if (ended == helper)
            break;
        if (ended < 0 && errno != EINTR)
            ::_exit(127);
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const QString& program,
                                                  const QStringList& arguments,
                                                  const QStringList& environment, Streams streams) {
    ignoreSigpipeOnce();
    int input[2] = {-1, -1}, output[2] = {-1, -1}, errors[2] = {-1, -1};
    auto closeAll = [&] {
        for (int* fds : {input, output, errors})
            for (int i : {0, 1})
                closeFd(fds[i]);
    };
    if (::pipe2(errors, O_CLOEXEC) != 0)
        return nullptr;
    if (streams == Streams::pipes &&
        (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0)) {
        closeAll();
        return nullptr;
    }

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
    const pid_t launcher = ::getpid();
    const std::function<void()> spawn = [&] {
        pid = ::fork();
        if (pid == 0)
            runGuardian(launcher, input[0], output[1], path.constData(), argv.data(), envp.data(),
                        errors[1]);
    };
    SpawnThread::instance().run(spawn);
    closeFd(input[0]);
    closeFd(output[1]);
    closeFd(errors[1]);
    if (pid < 0) {
        closeAll();
        return nullptr;
    }
    // The child's group exists before anyone signals it, whichever runs first.
    ::setpgid(pid, pid);
    int childError = 0;
    ssize_t n;
    do {
        n = ::read(errors[0], &childError, sizeof childError);
    } while (n < 0 && errno == EINTR);
    closeFd(errors[0]);

    auto child = std::unique_ptr<ChildProcess>(new ChildProcess);
    child->m_pid = pid;
    if (n > 0) { // exec failed
        child->reap(0);
        closeAll();
        return nullptr;
    }
    if (streams == Streams::pipes) {
        child->m_stdin = std::exchange(input[1], -1);
        child->m_stdout = std::exchange(output[0], -1);
        ::fcntl(child->m_stdin, F_SETFL, ::fcntl(child->m_stdin, F_GETFL) | O_NONBLOCK);
        ::fcntl(child->m_stdout, F_SETFL, ::fcntl(child->m_stdout, F_GETFL) | O_NONBLOCK);
    }
    return child;
}

ChildProcess::~ChildProcess() {
    closeFd(m_stdin);
    closeFd(m_stdout);
    if (m_pid > 0)
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
    if (m_pid <= 0 || m_groupEnded)
        return;
    m_groupEnded = true;
    if (!isRunning()) {
        ::kill(-m_pid, SIGKILL); // its own children may still run in its group
        return;
    }
    ::kill(-m_pid, SIGTERM);
    const bool exited = waitForExit(grace);
    // Whatever the helper started goes with it, even what ignores SIGTERM.
    ::kill(-m_pid, SIGKILL);
    if (!exited)
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
