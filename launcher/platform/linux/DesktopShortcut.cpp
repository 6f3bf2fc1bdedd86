#include "launcher/platform/linux/DesktopShortcut.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <algorithm>

namespace trovi {

namespace {

// A desktop runs the command through a shell-like word split.
QString quotedCommand(const QString& path) {
    const bool plain = std::all_of(path.cbegin(), path.cend(), [](QChar c) {
        return c.isLetterOrNumber() || QStringLiteral("/._-+").contains(c);
    });
    if (plain)
        return path;
    QString quoted = path;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString manualSteps(const HotKeySettings& hotKey, const DesktopShortcutEnvironment& environment) {
    const QString key =
        keyShortcutDisplayString({hotKey.keyCode, hotKey.modifiers, hotKey.character});
    const QString command = quotedCommand(environment.command);
    QString steps;
    if (environment.currentDesktop.contains(QStringLiteral("KDE"), Qt::CaseInsensitive))
        steps = QStringLiteral("On KDE Plasma: System Settings › Shortcuts › Add New › Command or "
                               "Script…, enter \"%1\" and record %2.")
                    .arg(command, key);
    else
        steps = QStringLiteral("In your desktop's keyboard shortcut settings, add a shortcut "
                               "that runs \"%1\" on %2.")
                    .arg(command, key);
    return QStringLiteral("This desktop cannot be given the shortcut from here.\n") + steps +
           QStringLiteral("\nEach press then shows or hides the launcher.");
}

} // namespace

DesktopShortcutEnvironment DesktopShortcutEnvironment::current() {
    DesktopShortcutEnvironment environment;
    environment.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    environment.command = QCoreApplication::applicationFilePath();
    return environment;
}

bool desktopIsGnome(const QString& currentDesktop) {
    const QStringList names = currentDesktop.split(u':', Qt::SkipEmptyParts);
    return names.contains(QStringLiteral("GNOME"), Qt::CaseInsensitive);
}

bool globalShortcutsPortalOffered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toString().contains(
               QStringLiteral("\"org.freedesktop.portal.GlobalShortcuts\""));
}

DesktopShortcutOutcome installDesktopShortcut(const HotKeySettings& hotKey,
                                              const DesktopShortcutEnvironment& environment) {
    if (!desktopIsGnome(environment.currentDesktop)) {
        QString message = manualSteps(hotKey, environment);
        // The portal binds keys for a running session of ours only, chosen by
        // the person in the desktop's own dialog; the steps stay the way in.
        if (environment.probePortal && globalShortcutsPortalOffered())
            message += QStringLiteral("\n(This desktop also offers the GlobalShortcuts portal.)");
        return {false, message, true};
    }
    const std::optional<QString> accelerator = gnomeAccelerator(hotKey);
    if (!accelerator)
        return {false, QStringLiteral("GNOME has no name for the key %1; choose another hotkey in "
                                      "Settings first.")
                           .arg(keyShortcutDisplayString(
                               {hotKey.keyCode, hotKey.modifiers, hotKey.character}))};
    return GnomeCustomKeybinding(environment.gsettings)
        .install(*accelerator, quotedCommand(environment.command));
}

DesktopShortcutOutcome removeDesktopShortcut(const DesktopShortcutEnvironment& environment) {
    if (!desktopIsGnome(environment.currentDesktop))
        return {false,
                QStringLiteral("Only on GNOME does 'trovi shortcut install' bind the key "
                               "itself; elsewhere remove the shortcut you added in the "
                               "desktop's keyboard settings."),
                true};
    return GnomeCustomKeybinding(environment.gsettings).remove();
}

} // namespace trovi
