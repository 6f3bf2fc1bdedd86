#pragma once
// StderrCapture: redirects this process's standard error into a temporary
// file for the lifetime of the object, so tests can check diagnostic lines.

#include <QString>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

namespace trovi::test {

class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        if (m_file.open() && (m_savedFd = ::dup(STDERR_FILENO)) >= 0)
            ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StderrCapture() { finish(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Restores standard error and returns everything written meanwhile.
    QString finish() {
        if (m_savedFd < 0)
            return {};
        std::fflush(stderr);
        ::dup2(m_savedFd, STDERR_FILENO);
        ::close(m_savedFd);
        m_savedFd = -1;
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
    int m_savedFd = -1;
};

} // namespace trovi::test
