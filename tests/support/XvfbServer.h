#pragma once
// A private X server for tests that need real key grabs, focus or mapping.
// -displayfd lets the server pick a free display number and print it.

#include <QProcess>
#include <QStandardPaths>
#include <QString>

namespace trovi::test {

class XvfbServer {
public:
    XvfbServer() {
        const QString path = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (path.isEmpty()) {
            m_skipReason = QStringLiteral("Xvfb is not installed");
            return;
        }
        m_process.start(path,
                        {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
        if (m_process.waitForStarted() && m_process.waitForReadyRead(20000))
            m_display = QStringLiteral(":") +
                        QString::fromLatin1(m_process.readAllStandardOutput().trimmed());
        else
            m_skipReason = QStringLiteral("Xvfb did not start");
    }
    ~XvfbServer() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished();
        }
    }
    // Empty when the server runs.
    const QString& skipReason() const { return m_skipReason; }
    const QString& display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
    QString m_skipReason;
};

} // namespace trovi::test
