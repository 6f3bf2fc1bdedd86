#include "CommandOutput.h"

#include "CommandLine.h"
#include "TerminalOutput.h"

#include "launcher/engine/model/SearchResultRecord.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

namespace trovi::app {

namespace {

void appendLine(QByteArray& stream, const QString& line) {
    stream += terminalSafe(line).toUtf8() + '\n';
}

QString kindLabel(const SearchResult& result) {
    if (result.kind == SearchResultKind::action && result.action)
        return toString(*result.action);
    return toString(result.kind);
}

QString elided(const QString& text, int width) {
    QString single = text;
    single.replace(u'\n', u' ');
    if (single.size() <= width)
        return single;
    return single.left(width - 1) + QChar(0x2026);
}

QByteArray table(const QList<SearchResult>& results) {
    constexpr int kTitleMax = 48, kSubtitleMax = 60;
    int titleWidth = 5, subtitleWidth = 8, kindWidth = 4;
    for (const SearchResult& r : results) {
        titleWidth =
            std::max(titleWidth, int(std::min<qsizetype>(r.displayName().size(), kTitleMax)));
        subtitleWidth =
            std::max(subtitleWidth, int(std::min<qsizetype>(r.directory.size(), kSubtitleMax)));
        kindWidth = std::max(kindWidth, int(kindLabel(r).size()));
    }
    QByteArray out;
    for (const SearchResult& r : results) {
        QString marks;
        if (r.isRecentActivation)
            marks += QStringLiteral(" recent");
        // A translation row keeps its score where other rows keep open counts.
        if (r.openCount > 0 && r.action != SearchResultAction::copyToClipboard)
            marks += QStringLiteral(" opened %1x").arg(r.openCount);
        appendLine(out, QStringLiteral("%1  %2  %3  %4%5")
                            .arg(elided(r.displayName(), kTitleMax), -titleWidth)
                            .arg(elided(r.directory, kSubtitleMax), -subtitleWidth)
                            .arg(kindLabel(r), -kindWidth)
                            .arg(r.relevanceScore.value_or(0), 6)
                            .arg(marks));
    }
    return out;
}

} // namespace

CommandOutput resultsOutput(const QList<SearchResult>& results, bool json) {
    CommandOutput output;
    if (!json) {
        output.out = table(results);
        return output;
    }
    QJsonArray array;
    for (const SearchResult& r : results)
        array.append(searchResultJson(r));
    output.out = QJsonDocument(array).toJson(QJsonDocument::Indented) + '\n';
    return output;
}

std::optional<CommandOutput> missingResult(const OpenCommand& command,
                                           const QList<SearchResult>& results) {
    if (command.index < results.size())
        return std::nullopt;
    CommandOutput output;
    output.exitStatus = 1;
    appendLine(output.err,
               results.isEmpty()
                   ? QStringLiteral("trovi: no results for \"%1\"").arg(command.text)
                   : QStringLiteral("trovi: no result at index %1 for \"%2\" (%3 results)")
                         .arg(command.index)
                         .arg(command.text)
                         .arg(results.size()));
    return output;
}

CommandOutput activationOutput(const ActivationOutcome& outcome,
                               const DryRunWorkspace* dryWorkspace,
                               const DryRunClipboard* dryClipboard) {
    CommandOutput output;
    if (outcome.status == ActivationStatus::needsWindow ||
        outcome.status == ActivationStatus::noAction) {
        appendLine(output.err, QStringLiteral("trovi: ") + outcome.message);
        output.exitStatus = 1;
        return output;
    }
    if (dryWorkspace && dryClipboard) {
        for (const QString& line : dryWorkspace->actions())
            appendLine(output.out, line);
        if (dryClipboard->text())
            appendLine(output.out, QStringLiteral("copy ") + *dryClipboard->text());
        return output;
    }
    switch (outcome.status) {
    case ActivationStatus::clipboardUnavailable:
        appendLine(output.out, outcome.value);
        appendLine(output.err, QStringLiteral("trovi: the value could not be copied: no clipboard "
                                              "is available without a display"));
        output.exitStatus = 1;
        break;
    case ActivationStatus::openFailed:
        appendLine(output.err, QStringLiteral("trovi: ") + outcome.message);
        output.exitStatus = 1;
        break;
    default:
        if (!outcome.message.isEmpty())
            appendLine(output.out, outcome.message);
        break;
    }
    return output;
}

int printOutput(const CommandOutput& output) {
    std::fwrite(output.out.constData(), 1, size_t(output.out.size()), stdout);
    std::fflush(stdout);
    std::fwrite(output.err.constData(), 1, size_t(output.err.size()), stderr);
    return output.exitStatus;
}

} // namespace trovi::app
