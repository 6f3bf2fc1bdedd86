#include "launcher/platform/linux/BrowserTabOpener.h"

#include "launcher/engine/sources/browser/BrowserSessionSource.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace trovi {

namespace {

QString resolvedProgram(const QString& program) {
    if (QDir::isAbsolutePath(program))
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

} // namespace

BrowserTabReach openTabPageInItsBrowser(const BrowserTabFocusRoute& route, const QString& pageURL) {
    // Only a web address goes on the browser's command line, never text that
    // it could take for one of its options.
    const QUrl url(pageURL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
        return BrowserTabReach::failed;
    for (const QStringList& command : browserLaunchCommands(route.bundleIdentifier)) {
        const QString program = resolvedProgram(command.first());
        if (program.isEmpty())
            continue;
        QProcess process;
        process.setProgram(program);
        process.setArguments(command.mid(1) << url.toString(QUrl::FullyEncoded));
        process.setWorkingDirectory(QDir::homePath());
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (process.startDetached())
            return BrowserTabReach::openedInBrowser;
    }
    return BrowserTabReach::failed;
}

} // namespace trovi
