#pragma once
// A temporary home for running the `trovi` executable: its settings, data and
// applications are only what the test puts there, and there is no display.
// Tests that include it define TROVI_EXECUTABLE.

#include "tests/support/Files.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

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
        for (const char* program : {"app", "gnome-control-center"}) {
            const QString stub = path() + "/bin/" + program;
            writeFile(stub, "#!/bin/sh\n");
            QFile::setPermissions(stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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

    TroviRun run(const QStringList& arguments, const QStringList& extra = {}) const {
        return execute(arguments, std::nullopt, extra);
    }
    // The same, with `input` on standard input, then end of input.
    TroviRun runWithInput(const QStringList& arguments, const QByteArray& input,
                          const QStringList& extra = {}) const {
        return execute(arguments, input, extra);
    }

private:
    // Waits without blocking the event loop: a test's local server may have to answer.
    TroviRun execute(const QStringList& arguments, const std::optional<QByteArray>& input,
                     const QStringList& extra) const {
        QProcess process;
        process.setProcessEnvironment(environment(extra));
        process.start(TROVI_EXECUTABLE, arguments);
        if (input) {
            process.write(*input);
            process.closeWriteChannel();
        }
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            process.kill();
        process.waitForFinished();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QTemporaryDir m_dir;
};

} // namespace trovi::test
