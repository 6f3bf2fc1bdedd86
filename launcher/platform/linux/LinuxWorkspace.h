#pragma once
// LinuxWorkspace: opens URLs, files and applications and reveals files the
// freedesktop way: ".desktop" applications are launched from their Exec line,
// everything else goes to xdg-open, and reveals ask the file manager over D-Bus.

#include "launcher/session/Workspace.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <optional>

namespace trovi {

struct LinuxWorkspaceOptions {
    // Program that opens URLs, files and folders with the user's default application.
    QString opener = QStringLiteral("xdg-open");
    // Program and options that run a command in a terminal, for Terminal=true entries.
    QStringList terminal = {QStringLiteral("x-terminal-emulator"), QStringLiteral("-e")};
    // Bus for the file manager; the session bus when not set.
    std::optional<QDBusConnection> bus;
    int revealTimeoutMs = 5000;
};

class LinuxWorkspace : public QObject, public Workspace {
    Q_OBJECT
public:
    explicit LinuxWorkspace(LinuxWorkspaceOptions options = {}, QObject* parent = nullptr);

    // Starts the opener or the application detached. False when there is
    // nothing to open (invalid URL, missing local file, a desktop entry that
    // cannot be launched) or the program could not be started.
    bool open(const QUrl& url) override;

    // Asks the file manager to show the item selected; when no file manager
    // answers on the bus, opens the item's parent folder instead. Completes
    // asynchronously: revealFinished is emitted once the route is known.
    void reveal(const QString& path) override;

    // Reveals whose answer from the file manager is still outstanding; a
    // short-lived caller keeps its event loop running until this is zero.
    int pendingReveals() const { return pendingReveals_; }

Q_SIGNALS:
    void revealFinished(const QString& path, bool shownByFileManager);

private:
    bool launchDesktopEntry(const QString& filePath);
    bool startDetached(const QStringList& command, const QString& workingDir = {});
    void finishReveal(const QString& path, bool shownByFileManager);

    LinuxWorkspaceOptions options_;
    int pendingReveals_ = 0;
};

} // namespace trovi
