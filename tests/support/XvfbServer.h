#pragma once
// A private X server for tests that need real key grabs, focus or mapping.
// -displayfd lets the server pick a free display number and print it.
// Xvnc instead of Xvfb gives a screen that RandR can resize; openbox beside
// it gives a real window manager (focus, moves and resizes go through it).

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTest>

namespace trovi::test {

class XvfbServer {
public:
    enum class Screen { fixed, resizable };

    explicit XvfbServer(Screen screen = Screen::fixed, bool windowManager = false) {
        const QString name =
            screen == Screen::fixed ? QStringLiteral("Xvfb") : QStringLiteral("Xvnc");
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty()) {
            m_skipReason = name + QStringLiteral(" is not installed");
            return;
        }
        // No reset when the last client leaves: a client connecting during the
        // reset is refused.
        QStringList arguments{"-displayfd", "1", "-nolisten", "tcp", "-noreset"};
        if (screen == Screen::fixed)
            arguments += QStringList{"-screen", "0", "1280x800x24"};
        else
            arguments += QStringList{"-geometry", "1280x800", "-depth",         "24",
                                     "-rfbport",  "-1",       "-SecurityTypes", "None"};
        m_process.start(path, arguments);
        if (m_process.waitForStarted() && m_process.waitForReadyRead(20000))
            m_display = QStringLiteral(":") +
                        QString::fromLatin1(m_process.readAllStandardOutput().trimmed());
        else
            m_skipReason = name + QStringLiteral(" did not start");
        // Ready once a client is served, so the first real client is never turned away.
        QDeadlineTimer ready(30000);
        while (m_skipReason.isEmpty() && !run("xprop", {"-root", "-len", "0"}).size() &&
               !ready.hasExpired())
            QTest::qWait(50);
        if (m_skipReason.isEmpty() && windowManager)
            startWindowManager();
    }
    ~XvfbServer() {
        for (QProcess* p : {&m_windowManager, &m_process}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished();
            }
        }
    }
    // Empty when the server runs.
    const QString& skipReason() const { return m_skipReason; }
    const QString& display() const { return m_display; }

    // Runs an X client on this display and returns its standard output.
    QByteArray run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        process.waitForFinished(30000);
        return process.readAllStandardOutput();
    }

private:
    void startWindowManager() {
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) {
            m_skipReason = QStringLiteral("openbox is not installed");
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        m_windowManager.setProcessEnvironment(env);
        m_windowManager.start(QStringLiteral("openbox"), {"--sm-disable"});
        // Ready once it announces itself on the root window.
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() &&
               !run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"))
            QTest::qWait(50);
        if (deadline.hasExpired())
            m_skipReason = QStringLiteral("openbox did not start");
    }

    QProcess m_process;
    QProcess m_windowManager;
    QString m_display;
    QString m_skipReason;
};

} // namespace trovi::test
