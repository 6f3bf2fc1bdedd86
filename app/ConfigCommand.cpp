#include "ConfigCommand.h"

#include "TerminalOutput.h"

#include "launcher/session/LauncherPreferences.h"

#include <QFile>

#include <cstdio>

namespace trovi::app {

namespace {

// Longer than any value a preference holds; a line past it is refused.
constexpr qint64 kMaximumInputLine = 64 * 1024;

QString shown(const PreferenceDefinition& definition, PreferenceStore& preferences) {
    const std::optional<QString> value = definition.read(preferences);
    if (definition.secret)
        return value && !value->isEmpty() ? QStringLiteral("(set)") : QStringLiteral("(unset)");
    return value ? *value : QStringLiteral("(unset)");
}

// One line of standard input without its line break; nothing at end of input.
std::optional<QString> readInputLine() {
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return std::nullopt;
    QByteArray line = input.readLine(kMaximumInputLine + 1);
    if (line.isEmpty() || line.size() > kMaximumInputLine)
        return std::nullopt;
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

int runConfigCommand(const ConfigCommand& command, PreferenceStore& preferences,
                     const std::function<void(const QString&)>& notify) {
    const PreferenceRegistry registry = launcherPreferences();
    if (command.action == ConfigCommand::Action::list) {
        for (const PreferenceDefinition& definition : registry.definitions()) {
            QString value = shown(definition, preferences);
            value.replace(u'\n', QStringLiteral(", "));
            printLine(stdout, definition.key + QStringLiteral(" = ") + value);
        }
        return 0;
    }
    const PreferenceDefinition* definition = registry.find(command.key);
    if (!definition) {
        printLine(stderr, QStringLiteral("trovi: unknown preference key '%1' (see 'trovi config "
                                         "list')")
                              .arg(command.key));
        return 2;
    }
    if (command.action == ConfigCommand::Action::get) {
        if (definition->secret) {
            printLine(stdout, shown(*definition, preferences));
            return 0;
        }
        const std::optional<QString> value = definition->read(preferences);
        if (!value)
            return 1; // unset: nothing printed, like `git config`
        // A list prints one item a line.
        for (const QString& line : value->split(u'\n'))
            printLine(stdout, line);
        return 0;
    }
    if (!definition->write) {
        printLine(stderr, QStringLiteral("trovi: '%1' is kept by the launcher and cannot be set")
                              .arg(definition->key));
        return 1;
    }
    QString value = command.value;
    if (value == u"-") {
        // Keeps a secret out of the argument list, which other users can read.
        const std::optional<QString> line = readInputLine();
        if (!line) {
            printLine(stderr, QStringLiteral("trovi: %1: no value on standard input (one line "
                                             "of at most 64 KiB)")
                                  .arg(definition->key));
            return 1;
        }
        value = *line;
    }
    const PreferenceWrite outcome = definition->write(preferences, value);
    if (outcome.status == PreferenceWrite::Status::refused) {
        printLine(stderr, QStringLiteral("trovi: %1: %2").arg(definition->key, outcome.message));
        return 1;
    }
    if (outcome.status == PreferenceWrite::Status::adjusted)
        printLine(stderr, QStringLiteral("trovi: %1: %2").arg(definition->key, outcome.message));
    if (!definition->notification.isEmpty() && notify)
        notify(definition->notification);
    return 0;
}

} // namespace trovi::app
