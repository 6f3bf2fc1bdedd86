#include "launcher/engine/sources/browser/AppleScriptRunner.h"

#include <QProcess>
#include <QStringDecoder>

#include <atomic>
#include <cstdio>

namespace trovi {

namespace {

QString decodedTrimmed(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text.trimmed();
}

// A host that cannot start will not start on the next refresh either.
std::atomic_bool launchFailureReported{false};

} // namespace

AppleScriptRunner::AppleScriptRunner(QString executablePath, Diagnostics diagnostics)
    : m_executablePath(std::move(executablePath)), m_diagnostics(std::move(diagnostics)) {}

void AppleScriptRunner::diagnosticLine(const QString& line) const {
    if (m_diagnostics) {
        m_diagnostics(line);
        return;
    }
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

std::optional<AppleScriptRunResult>
AppleScriptRunner::runAppleScriptDetailed(const QString& script,
                                          const QStringList& arguments) const {
    QProcess process;
    process.setProgram(m_executablePath);
    process.setArguments(QStringList{QStringLiteral("-e"), script} + arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        if (!launchFailureReported.exchange(true))
            diagnosticLine(QStringLiteral("AppleScript launch failed: ") + process.errorString());
        return std::nullopt;
    }
    // waitForFinished keeps reading both pipes into QProcess's buffers while
    // it waits, so a listing larger than a pipe buffer never stalls the child.
    process.waitForFinished(-1);
    AppleScriptRunResult result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.standardOutput = decodedTrimmed(process.readAllStandardOutput());
    result.standardError = decodedTrimmed(process.readAllStandardError());
    return result;
}

std::optional<QString> AppleScriptRunner::runAppleScript(const QString& script,
                                                         const QStringList& arguments) const {
    const auto result = runAppleScriptDetailed(script, arguments);
    if (!result)
        return std::nullopt;
    if (result->status != 0) {
        diagnosticLine(result->standardError.isEmpty()
                           ? QStringLiteral("AppleScript failed with status %1").arg(result->status)
                           : QStringLiteral("AppleScript failed (status %1): %2")
                                 .arg(result->status)
                                 .arg(result->standardError));
        return std::nullopt;
    }
    if (result->standardOutput.isEmpty())
        return std::nullopt;
    return result->standardOutput;
}

} // namespace trovi
