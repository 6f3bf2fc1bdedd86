#include "launcher/platform/linux/XdgAutostartLoginItem.h"

#include "launcher/core/NativePath.h"
#include "launcher/core/RegularFile.h"

#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace trovi::platform {

namespace {

const QString entryName = QStringLiteral("trovi-launcher.desktop");

// Exec quoting of the Desktop Entry format: quote when needed, escape the
// characters that keep a special meaning inside quotes.
QString quotedExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString escaped;
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            escaped += u'\\';
        escaped += c;
    }
    escaped.replace(u'%', QStringLiteral("%%"));
    return needsQuotes ? u'"' + escaped + u'"' : escaped;
}

// Whether the desktop would start something from this entry: a desktop
// entry with a command that is not hidden. Anything else at our entry's name
// (a link to some other file, say) starts nothing.
bool startsAtLogin(const QByteArray& content) {
    bool entry = false, command = false;
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return false;
        entry = entry || line == "[Desktop Entry]";
        command = command || line.startsWith("Exec=");
    }
    return entry && command;
}

QString systemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

// The autostart folder, opened without following a link in its place: the
// entry is written into this folder and nowhere else.
int openFolder(const QString& folder, QString* error) {
    const int fd =
        ::open(encodedPath(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        *error = errno == ELOOP || errno == ENOTDIR
                     ? folder + QStringLiteral(" is a symbolic link or not a folder")
                     : systemError(folder);
    return fd;
}

// Writes a new file beside the entry and renames it over the entry, so the
// desktop never reads half an entry and a link at the entry's name is
// replaced rather than written through.
QString replaceEntry(const QString& folder, const QString& name, const QByteArray& content) {
    QString error;
    const int dir = openFolder(folder, &error);
    if (dir < 0)
        return error;
    const auto closeDir = qScopeGuard([dir] { ::close(dir); });
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporary = "." + encodedPath(name) + "." +
                    QByteArray::number(QRandomGenerator::global()->generate(), 16);
        fd = ::openat(dir, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return systemError(folder);
    bool written = true;
    for (qsizetype done = 0; written && done < content.size();) {
        const ssize_t n =
            ::write(fd, content.constData() + done, std::size_t(content.size() - done));
        written = n > 0 || (n < 0 && errno == EINTR);
        done += n > 0 ? n : 0;
    }
    written = written && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        written = false;
    if (!written ||
        ::renameat(dir, temporary.constData(), dir, encodedPath(name).constData()) != 0) {
        error = systemError(folder + u'/' + name);
        ::unlinkat(dir, temporary.constData(), 0);
        return error;
    }
    return {};
}

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(QString executablePath, QString autostartFolder)
    : m_executablePath(std::move(executablePath)), m_folder(std::move(autostartFolder)) {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/autostart");
}

QString XdgAutostartLoginItem::entryPath() const {
    return m_folder + u'/' + entryName;
}

LaunchAtLoginState XdgAutostartLoginItem::currentState() {
    // The desktop reads the entry at login as it is, links included; a FIFO
    // or device in its place must not block the start.
    const std::optional<QByteArray> content = readRegularFile(entryPath(), file_caps::settingsFile);
    if (!content)
        return LaunchAtLoginState::disabled;
    return startsAtLogin(*content) ? LaunchAtLoginState::enabled : LaunchAtLoginState::disabled;
}

LaunchAtLoginUpdateResult XdgAutostartLoginItem::update(bool enabled) {
    const LaunchAtLoginState state = currentState();
    if (enabled == (state == LaunchAtLoginState::enabled))
        return state;
    if (enabled) {
        if (!QDir().mkpath(m_folder))
            return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::registerFailed,
                                             QStringLiteral("cannot create ") + m_folder};
        const QByteArray content = "[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Trovi Launcher\n"
                                   "Comment=Keyboard launcher\n"
                                   "Exec=" +
                                   quotedExecArgument(m_executablePath).toUtf8() +
                                   // Started at login, it waits for the hotkey
                                   // rather than showing its window.
                                   " --hide\n"
                                   "Icon=trovi-launcher\n"
                                   "Terminal=false\n"
                                   "X-GNOME-Autostart-enabled=true\n";
        if (const QString error = replaceEntry(m_folder, entryName, content); !error.isEmpty())
            return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::registerFailed,
                                             error};
        return currentState();
    }
    QString error;
    const int dir = openFolder(m_folder, &error);
    if (dir >= 0) {
        if (::unlinkat(dir, encodedPath(entryName).constData(), 0) != 0 && errno != ENOENT)
            error = systemError(entryPath());
        ::close(dir);
    }
    if (!error.isEmpty())
        return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::unregisterFailed, error};
    return currentState();
}

} // namespace trovi::platform
