#pragma once
// GNOME's compositor, headless, for tests that need a real Wayland session:
// a private session bus, a private XDG_RUNTIME_DIR and one 1280x800 virtual
// monitor. Clients get environment() and QT_QPA_PLATFORM=wayland.

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

namespace trovi::test {

class MutterServer {
public:
    MutterServer() {
        for (const char* program : {"mutter", "dbus-daemon"}) {
            if (QStandardPaths::findExecutable(QLatin1StringView(program)).isEmpty()) {
                m_skipReason = QLatin1StringView(program) + QStringLiteral(" is not installed");
                return;
            }
        }
        QFile::setPermissions(m_runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!m_bus.waitForReadyRead(30000)) {
            m_skipReason = QStringLiteral("dbus-daemon did not start");
            return;
        }
        m_busAddress = QString::fromLatin1(m_bus.readLine().trimmed());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_busAddress);
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        m_mutter.setProcessEnvironment(env);
        m_mutter.setProcessChannelMode(QProcess::MergedChannels);
        m_mutter.start(QStringLiteral("mutter"),
                       {"--headless", "--wayland", "--no-x11", "--virtual-monitor", "1280x800",
                        "--wayland-display", "wayland-trovi"});
        // Ready once its socket is there; a compositor that cannot run here
        // (no GPU-less renderer, say) exits instead.
        const QString socket = m_runtime.path() + QStringLiteral("/wayland-trovi");
        QDeadlineTimer deadline(60000);
        while (!QFileInfo::exists(socket) && m_mutter.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            QTest::qWait(50);
        if (!QFileInfo::exists(socket))
            m_skipReason = QStringLiteral("mutter did not start: ") +
                           QString::fromLocal8Bit(m_mutter.readAll().right(600));
    }
    ~MutterServer() {
        for (QProcess* p : {&m_mutter, &m_bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(10000))
                    p->kill();
                p->waitForFinished();
            }
        }
    }
    MutterServer(const MutterServer&) = delete;
    MutterServer& operator=(const MutterServer&) = delete;

    // Empty when the compositor runs.
    const QString& skipReason() const { return m_skipReason; }
    // "NAME=value" entries for a Wayland client of this compositor.
    QStringList environment() const {
        return {"XDG_RUNTIME_DIR=" + m_runtime.path(), "WAYLAND_DISPLAY=wayland-trovi",
                "DBUS_SESSION_BUS_ADDRESS=" + m_busAddress, "QT_QPA_PLATFORM=wayland",
                "XDG_SESSION_TYPE=wayland"};
    }
    // What the compositor said, for a failed wait.
    QByteArray log() { return m_mutter.readAll(); }

private:
    QTemporaryDir m_runtime;
    QProcess m_bus;
    QProcess m_mutter;
    QString m_busAddress;
    QString m_skipReason;
};

} // namespace trovi::test
