#pragma once
// A temporary home for running the `trovi` executable: its settings, data and
// applications are only what the test puts there, and there is no display.
// Tests that include it define TROVI_EXECUTABLE.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace trovi::test {

struct TroviRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class TroviHome {
public:
    TroviHome() {
        QDir(path()).mkpath(".config");
        // Desktop entries whose program is not installed are hidden: the
        // programs the tests' entries name are stand-ins here.
        QDir(path()).mkpath("bin");
        for (const char* program : {"app", "gnome-control-center"}) {
            QFile stub(path() + "/bin/" + program);
            if (stub.open(QIODevice::WriteOnly))
                stub.write("#!/bin/sh\n");
            stub.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    QString path() const { return m_dir.path(); }
    QString mkdir(const QString& relative) const {
        const QString folder = path() + u'/' + relative;
        QDir().mkpath(folder);
        return folder;
    }

    // Entries of `extra` ("NAME=value") are added or replace what is there.
    QProcessEnvironment environment(const QStringList& extra = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", path());
        env.insert("XDG_CONFIG_HOME", path() + "/.config");
        env.insert("XDG_DATA_HOME", path() + "/.local/share");
        env.insert("XDG_DATA_DIRS", path() + "/system-share"); // not the machine's applications
        env.insert("PATH", path() + "/bin:" + env.value("PATH"));
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        for (const QString& entry : extra)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        return env;
    }

    // Waits without blocking the event loop: a test's local server may have to answer.
    TroviRun run(const QStringList& arguments, const QStringList& extra = {}) const {
        QProcess process;
        process.setProcessEnvironment(environment(extra));
        process.start(TROVI_EXECUTABLE, arguments);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            process.kill();
        process.waitForFinished();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // The same, with `input` on standard input, then end of input.
    TroviRun runWithInput(const QStringList& arguments, const QByteArray& input,
                          const QStringList& extra = {}) const {
        QProcess process;
        process.setProcessEnvironment(environment(extra));
        process.start(TROVI_EXECUTABLE, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            process.kill();
        process.waitForFinished();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

private:
    QTemporaryDir m_dir;
};

} // namespace trovi::test
