#pragma once
// Parsing of the `trovi` command line into one of its commands.

#include "ConfigCommand.h"

#include <QString>
#include <QStringList>

#include <variant>

namespace trovi::app {

// Plain `trovi` starts the launcher, or toggles the one already running.
struct StartLauncher {
    enum class Intent { toggle, show, hide, settings };
    Intent intent = Intent::toggle;
};
struct ShowHelp {};
struct ShowVersion {};
// How long a command waits for the background lookups its search started
// (translations, Notion) before it answers; 0 answers at once.
inline constexpr double defaultLookupWaitSeconds = 4.0;

// A query or an open goes to the running launcher, which answers from its warm
// catalogues; standalone, or with none running, this process does the work.
struct QueryCommand {
    bool json = false;
    bool standalone = false;
    double waitSeconds = defaultLookupWaitSeconds;
    QString text;
};
struct OpenCommand {
    bool reveal = false;
    bool standalone = false;
    double waitSeconds = defaultLookupWaitSeconds;
    bool dryRun = false;
    int index = 0;
    QString text;
};
// `trovi translation status`: what each translation engine finds on this machine.
struct TranslationStatusCommand {};
// `trovi status [--json]`: the running launcher's window, as it is now.
struct StatusCommand {
    bool json = false;
};
// `trovi shortcut install|remove`: the desktop's own shortcut that runs `trovi`.
struct ShortcutCommand {
    bool install = true;
};
struct UsageError {
    QString message; // one line, without the program name
};

using Command =
    std::variant<StartLauncher, ShowHelp, ShowVersion, QueryCommand, OpenCommand, ConfigCommand,
                 TranslationStatusCommand, StatusCommand, ShortcutCommand, UsageError>;

// `arguments` excludes the program name.
Command parseCommandLine(const QStringList& arguments);

QString usageText();

} // namespace trovi::app
