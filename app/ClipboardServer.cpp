#include "ClipboardServer.h"

#include "launcher/platform/linux/SystemClipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

namespace trovi::app {

bool ClipboardServer::setText(const QString& text) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    return QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                   {QString::fromLatin1(kServeClipboardOption), text});
}

int serveClipboard(int argc, char** argv, const QString& text) {
    QGuiApplication app(argc, argv);
    SystemClipboard clipboard;
    if (!clipboard.setText(text))
        return 1;
    // Own the clipboard until someone else takes it, even with the same
    // text; a day at most.
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &app, [] {
        if (!QGuiApplication::clipboard()->ownsClipboard())
            QCoreApplication::quit();
    });
    // Qt misses the loss when the new owner's timestamp equals ours; the X
    // server's own answer settles it.
    if (const std::optional<quint32> ours = SystemClipboard::clipboardOwnerWindow();
        ours && *ours != 0) {
        auto* check = new QTimer(&app);
        QObject::connect(check, &QTimer::timeout, &app, [ours] {
            if (SystemClipboard::clipboardOwnerWindow() != ours)
                QCoreApplication::quit();
        });
        check->start(1000);
    }
    QTimer::singleShot(24 * 3600 * 1000, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace trovi::app
