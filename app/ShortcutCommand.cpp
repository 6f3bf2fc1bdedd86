#include "ShortcutCommand.h"

#include "TerminalOutput.h"

#include "launcher/platform/linux/DesktopShortcut.h"

namespace trovi::app {

int runShortcutCommand(const ShortcutCommand& command) {
    const DesktopShortcutEnvironment environment = DesktopShortcutEnvironment::current();
    const DesktopShortcutOutcome outcome =
        command.install
            ? installDesktopShortcut(HotKeySettingsStore::standard().load(), environment)
            : removeDesktopShortcut(environment);
    if (!outcome.success && !outcome.stepsForPerson) {
        printLine(stderr, QStringLiteral("trovi: ") + outcome.message);
        return 1;
    }
    for (const QString& line : outcome.message.split(u'\n'))
        printLine(stdout, line);
    return 0;
}

} // namespace trovi::app
