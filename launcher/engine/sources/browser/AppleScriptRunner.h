#pragma once
// Runs a script through the system's script host ("/usr/bin/osascript" on
// macOS) and collects its exit status and both outputs. Where the host is
// missing (Linux), every run takes the launch-failure path.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace trovi {

struct AppleScriptRunResult {
    qint32 status = 0;
    QString standardOutput; // UTF-8, trimmed
    QString standardError;  // UTF-8, trimmed
};

class AppleScriptRunner {
public:
    // Lines for the user (standard output by default).
    using Diagnostics = std::function<void(const QString&)>;

    explicit AppleScriptRunner(QString executablePath = defaultExecutablePath(),
                               Diagnostics diagnostics = {});

    static QString defaultExecutablePath() { return QStringLiteral("/usr/bin/osascript"); }
    const QString& executablePath() const { return m_executablePath; }

    // Runs the host with "-e", the script, then the arguments. Nothing when
    // the host cannot be started; that is said once per process, not on
    // every refresh.
    std::optional<AppleScriptRunResult> runAppleScriptDetailed(const QString& script,
                                                               const QStringList& arguments) const;

    // Standard output of a successful run with output, else nothing (and a
    // line saying why the script failed).
    std::optional<QString> runAppleScript(const QString& script,
                                          const QStringList& arguments) const;

    // Writes one line where the runner's lines go.
    void diagnosticLine(const QString& line) const;

private:
    QString m_executablePath;
    Diagnostics m_diagnostics;
};

} // namespace trovi
