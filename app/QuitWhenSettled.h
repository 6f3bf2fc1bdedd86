#pragma once
// After an activation the process may leave once what it recorded is stored
// and the file manager has answered its reveals (or stopped being waited for).
// Runs in the application's own event loop; nothing waits in a nested one.

#include "launcher/platform/linux/LinuxWorkspace.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFuture>
#include <QTimer>

namespace trovi::app {

inline void quitWhenSettled(QFuture<void> stored, const LinuxWorkspace& workspace,
                            QDeadlineTimer revealDeadline = QDeadlineTimer(10000)) {
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, [poll, stored, &workspace, revealDeadline] {
        if (!stored.isFinished())
            return;
        if (workspace.pendingReveals() > 0 && !revealDeadline.hasExpired())
            return;
        poll->deleteLater();
        QCoreApplication::quit();
    });
    poll->start(10);
}

} // namespace trovi::app
