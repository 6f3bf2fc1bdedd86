#include "CommandLine.h"

#include <cmath>
#include <optional>

namespace trovi::app {

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  trovi                      start the launcher, or show/hide the running one\n"
        "  trovi --show | --hide | --settings\n"
        "                             start it, or show, hide or open settings in the running one\n"
        "  trovi status [--json]      print whether the launcher runs and what its window shows\n"
        "  trovi shortcut install     bind the stored hotkey to 'trovi' in the desktop's own\n"
        "                             shortcut settings (the way to call it up on Wayland)\n"
        "  trovi shortcut remove      remove exactly that binding again\n"
        "  trovi query [--json] [--wait SECONDS | --no-wait] [--standalone] TEXT\n"
        "                             print the ranked results for TEXT, once the background\n"
        "                             lookups it started (translations, Notion) have answered\n"
        "                             (default: wait up to 4 s)\n"
        "  trovi open [--reveal] [--index N] [--dry-run] [--wait SECONDS | --no-wait]\n"
        "             [--standalone] TEXT\n"
        "                             activate result N (default 0) for TEXT as Enter would;\n"
        "                             --reveal shows it in the file manager (Ctrl+Return);\n"
        "                             --dry-run prints what would happen and still records usage\n"
        "                             Both are answered by the running launcher when there is "
        "one;\n"
        "                             --standalone does the work in this process instead\n"
        "  trovi config list          print every preference (the Notion token as set/unset)\n"
        "  trovi config get KEY       print one preference\n"
        "  trovi config set KEY VALUE store one preference and tell the running launcher\n"
        "  trovi config set KEY -     the same, reading VALUE as one line from standard input:\n"
        "                             the way to set a secret such as notionIntegrationToken,\n"
        "                             since arguments are visible to other users\n"
        "  trovi translation status   print what each translation engine finds and needs\n"
        "  trovi --help | --version\n");
}

namespace {

// "--wait SECONDS", "--wait=SECONDS" or "--no-wait"; nothing when `arg` is
// neither, an error when the value is unusable.
std::optional<std::optional<UsageError>>
parseWaitOption(const QString& arg, const QStringList& args, int& i, double& waitSeconds) {
    if (arg == QStringLiteral("--no-wait")) {
        waitSeconds = 0;
        return std::optional<UsageError>();
    }
    if (arg != QStringLiteral("--wait") && !arg.startsWith(QStringLiteral("--wait=")))
        return std::nullopt;
    QString value;
    if (arg.startsWith(QStringLiteral("--wait=")))
        value = arg.mid(7);
    else if (i + 1 < args.size())
        value = args.at(++i);
    else
        return UsageError{QStringLiteral("'--wait' needs a number of seconds")};
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    if (!ok || seconds < 0 || !std::isfinite(seconds))
        return UsageError{
            QStringLiteral("'--wait' needs a number of seconds of 0 or more, not '%1'").arg(value)};
    waitSeconds = seconds;
    return std::optional<UsageError>();
}

// Everything after the subcommand: options first or mixed in, "--" ends them,
// the remaining words form the query text.
template <typename Options>
Command parseSubcommand(const QString& name, const QStringList& args, Options applyOption) {
    QStringList words;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!optionsEnded && arg == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QStringLiteral("--"))) {
            std::optional<UsageError> error = applyOption(arg, args, i);
            if (error)
                return *error;
            continue;
        }
        words.append(arg);
    }
    if (words.isEmpty())
        return UsageError{QStringLiteral("'%1' needs a query text").arg(name)};
    QueryCommand command;
    command.text = words.join(u' ');
    return command;
}

} // namespace

Command parseCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return StartLauncher{};
    const QString first = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (first == QStringLiteral("--help") || first == QStringLiteral("-h"))
        return ShowHelp{};
    if (first == QStringLiteral("--version"))
        return ShowVersion{};
    const std::pair<const char*, StartLauncher::Intent> intents[] = {
        {"--show", StartLauncher::Intent::show},
        {"--hide", StartLauncher::Intent::hide},
        {"--settings", StartLauncher::Intent::settings},
    };
    for (const auto& [option, intent] : intents) {
        if (first == QLatin1StringView(option)) {
            if (!rest.isEmpty())
                return UsageError{QStringLiteral("'%1' takes no arguments").arg(first)};
            return StartLauncher{intent};
        }
    }

    if (first == QStringLiteral("config")) {
        const QString action = rest.value(0);
        ConfigCommand command;
        if (action == QStringLiteral("list") && rest.size() == 1) {
            command.action = ConfigCommand::Action::list;
        } else if (action == QStringLiteral("get") && rest.size() == 2) {
            command.action = ConfigCommand::Action::get;
            command.key = rest.at(1);
        } else if (action == QStringLiteral("set") && rest.size() == 3) {
            command.action = ConfigCommand::Action::set;
            command.key = rest.at(1);
            command.value = rest.at(2);
        } else {
            return UsageError{
                QStringLiteral("use 'config list', 'config get KEY' or 'config set KEY VALUE'")};
        }
        return command;
    }

    if (first == QStringLiteral("translation")) {
        if (rest != QStringList{QStringLiteral("status")})
            return UsageError{QStringLiteral("use 'translation status'")};
        return TranslationStatusCommand{};
    }

    if (first == QStringLiteral("status")) {
        if (rest.isEmpty() || rest == QStringList{QStringLiteral("--json")})
            return StatusCommand{!rest.isEmpty()};
        return UsageError{QStringLiteral("use 'status' or 'status --json'")};
    }

    if (first == QStringLiteral("shortcut")) {
        if (rest == QStringList{QStringLiteral("install")})
            return ShortcutCommand{true};
        if (rest == QStringList{QStringLiteral("remove")})
            return ShortcutCommand{false};
        return UsageError{QStringLiteral("use 'shortcut install' or 'shortcut remove'")};
    }

    if (first == QStringLiteral("query")) {
        QueryCommand command;
        Command parsed = parseSubcommand(
            first, rest,
            [&](const QString& arg, const QStringList& args, int& i) -> std::optional<UsageError> {
                if (arg == QStringLiteral("--json")) {
                    command.json = true;
                } else if (arg == QStringLiteral("--standalone")) {
                    command.standalone = true;
                } else if (arg == QStringLiteral("--no-wait")) {
                    command.waitSeconds = 0;
                } else if (arg == QStringLiteral("--wait") ||
                           arg.startsWith(QStringLiteral("--wait="))) {
                    QString value;
                    if (arg.startsWith(QStringLiteral("--wait=")))
                        value = arg.mid(7);
                    else if (i + 1 < args.size())
                        value = args.at(++i);
                    bool ok = false;
                    const double seconds = value.toDouble(&ok);
                    if (!ok || seconds < 0 || seconds > 3600)
                        return UsageError{
                            QStringLiteral("'--wait' needs a number of seconds (0 to 3600)")};
                    command.waitSeconds = seconds;
                } else {
                    return UsageError{QStringLiteral("unknown option '%1' for 'query'").arg(arg)};
                }
                return std::nullopt;
            });
        if (auto* query = std::get_if<QueryCommand>(&parsed)) {
            command.text = query->text;
            return command;
        }
        return parsed;
    }

    if (first == QStringLiteral("open")) {
        OpenCommand command;
        Command parsed = parseSubcommand(
            first, rest,
            [&](const QString& arg, const QStringList& args, int& i) -> std::optional<UsageError> {
                if (auto wait = parseWaitOption(arg, args, i, command.waitSeconds))
                    return *wait;
                if (arg == QStringLiteral("--reveal")) {
                    command.reveal = true;
                } else if (arg == QStringLiteral("--standalone")) {
                    command.standalone = true;
                } else if (arg == QStringLiteral("--dry-run")) {
                    command.dryRun = true;
                } else if (arg == QStringLiteral("--index") ||
                           arg.startsWith(QStringLiteral("--index="))) {
                    QString value;
                    if (arg.startsWith(QStringLiteral("--index="))) {
                        value = arg.mid(8);
                    } else if (i + 1 < args.size()) {
                        value = args.at(++i);
                    } else {
                        return UsageError{QStringLiteral("'--index' needs a number")};
                    }
                    bool ok = false;
                    const int index = value.toInt(&ok);
                    if (!ok || index < 0)
                        return UsageError{
                            QStringLiteral("'--index' needs a number of 0 or more, not '%1'")
                                .arg(value)};
                    command.index = index;
                } else {
                    return UsageError{QStringLiteral("unknown option '%1' for 'open'").arg(arg)};
                }
                return std::nullopt;
            });
        if (auto* query = std::get_if<QueryCommand>(&parsed)) {
            command.text = query->text;
            return command;
        }
        return parsed;
    }

    if (first.startsWith(u'-'))
        return UsageError{QStringLiteral("unknown option '%1'").arg(first)};
    return UsageError{QStringLiteral("unknown command '%1'").arg(first)};
}

} // namespace trovi::app
