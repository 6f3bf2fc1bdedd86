#pragma once
// StderrCapture: redirects this process's standard error into a temporary
// file for the lifetime of the object, so tests can check diagnostic lines.

#include <QString>
#include <QTemporaryFile>

namespace trovi::test {

class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Restores standard error and returns everything written meanwhile.
    QString finish();

private:
    QTemporaryFile m_file;
    int m_savedFd = -1;
};

} // namespace trovi::test
