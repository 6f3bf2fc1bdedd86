#include "launcher/platform/linux/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace trovi {

bool SystemClipboard::setText(const QString& text) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    if (platform.isEmpty() || platform == u"offscreen" || platform.startsWith(u"minimal"))
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text, QClipboard::Clipboard);
    return clipboard->ownsClipboard() || clipboard->text(QClipboard::Clipboard) == text;
}

} // namespace trovi
