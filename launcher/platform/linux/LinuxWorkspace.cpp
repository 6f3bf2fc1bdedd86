#include "launcher/platform/linux/LinuxWorkspace.h"

#include "launcher/core/NativePath.h"

#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/DesktopEntryExec.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>

namespace trovi {

namespace {

const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

bool exists(const QString& path) {
    struct stat st {};
    return ::stat(encodedPath(path).constData(), &st) == 0;
}

// A name that is not UTF-8 cannot pass through a program's arguments as text;
// a file URL of its exact bytes can.
bool needsByteURL(const QString& path) {
    return encodedPath(path) != path.toUtf8();
}

QString byteURL(const QString& path) {
    return QStringLiteral("file://") +
           QString::fromLatin1(encodedPath(path).toPercentEncoding("/"));
}

bool isDesktopEntryFile(const QUrl& url) {
    return url.isLocalFile() && url.toLocalFile().endsWith(u".desktop", Qt::CaseInsensitive);
}

} // namespace

LinuxWorkspace::LinuxWorkspace(LinuxWorkspaceOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

bool LinuxWorkspace::open(const QUrl& url) {
    if (!url.isValid() || url.isEmpty())
        return false;
    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        if (!exists(path))
            return false;
        // Opening a desktop entry "as a file" would show its text in an
        // editor; the user meant the application.
        if (isDesktopEntryFile(url) && QFileInfo(path).isFile())
            return launchDesktopEntry(path);
        return startDetached({options_.opener, needsByteURL(path) ? byteURL(path) : path});
    }
    return startDetached({options_.opener, url.toString(QUrl::FullyEncoded)});
}

bool LinuxWorkspace::launchDesktopEntry(const QString& filePath) {
    const auto entry = platform::readDesktopEntry(filePath);
    if (!entry)
        return false;
    if (entry->type == u"Link")
        return !entry->url.isEmpty() && startDetached({options_.opener, entry->url});
    if (!entry->type.isEmpty() && entry->type != u"Application")
        return false;
    auto command = platform::desktopEntryCommandLine(*entry);
    if (!command)
        return false;
    if (entry->terminal) {
        if (options_.terminal.isEmpty())
            return false;
        *command = options_.terminal + *command;
    }
    return startDetached(*command, entry->workingDir);
}

bool LinuxWorkspace::startDetached(const QStringList& command, const QString& workingDir) {
    if (command.isEmpty() || command.first().isEmpty())
        return false;
    QProcess process;
    process.setProgram(command.first());
    process.setArguments(command.mid(1));
    // Applications start in the home folder unless their entry names one,
    // not in whatever folder the launcher happened to be started from.
    const QString dir =
        !workingDir.isEmpty() && QFileInfo(workingDir).isDir() ? workingDir : QDir::homePath();
    process.setWorkingDirectory(dir);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    return process.startDetached();
}

void LinuxWorkspace::reveal(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QDBusConnection bus = options_.bus ? *options_.bus : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        finishReveal(absolute, false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManagerService, kFileManagerPath, kFileManagerService, QStringLiteral("ShowItems"));
    call << QStringList{needsByteURL(absolute)
                            ? byteURL(absolute)
                            : QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded)}
         << QString();
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(call, options_.revealTimeoutMs), this);
    ++pendingReveals_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, absolute](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                --pendingReveals_;
                finishReveal(absolute, !finished->isError());
            });
}

void LinuxWorkspace::finishReveal(const QString& path, bool shownByFileManager) {
    if (!shownByFileManager) {
        // Without a file manager on the bus the best we can do is show the
        // folder that holds the item.
        const QString parent = QFileInfo(path).absolutePath();
        open(QUrl::fromLocalFile(parent));
    }
    Q_EMIT revealFinished(path, shownByFileManager);
}

} // namespace trovi
