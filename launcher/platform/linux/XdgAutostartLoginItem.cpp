#include "launcher/platform/linux/XdgAutostartLoginItem.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

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

bool isHidden(const QByteArray& content) {
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line == "Hidden=true" || line == "X-GNOME-Autostart-enabled=false")
            return true;
    }
    return false;
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
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return LaunchAtLoginState::disabled;
    return isHidden(file.readAll()) ? LaunchAtLoginState::disabled : LaunchAtLoginState::enabled;
}

LaunchAtLoginUpdateResult XdgAutostartLoginItem::update(bool enabled) {
    const LaunchAtLoginState state = currentState();
    if (enabled == (state == LaunchAtLoginState::enabled))
        return state;
    if (enabled) {
        if (!QDir().mkpath(m_folder))
            return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::registerFailed,
                                             QStringLiteral("cannot create ") + m_folder};
        QSaveFile file(entryPath());
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
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
            !file.commit())
            return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::registerFailed,
                                             file.errorString()};
        return currentState();
    }
    QFile file(entryPath());
    if (!file.remove())
        return LaunchAtLoginManagerError{LaunchAtLoginManagerError::Kind::unregisterFailed,
                                         file.errorString()};
    return currentState();
}

} // namespace trovi::platform
