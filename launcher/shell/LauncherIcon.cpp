#include "launcher/shell/LauncherIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trovi {

namespace {

QPixmap paintIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    QLinearGradient tile(0, 8, 0, 120);
    tile.setColorAt(0, QColor(0x3b, 0x42, 0x52));
    tile.setColorAt(1, QColor(0x1f, 0x23, 0x2b));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    const QColor ink(0xf2, 0xf4, 0xf8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 10));
    p.drawEllipse(QPointF(56, 56), 24, 24);
    p.setPen(QPen(ink, 12, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(74, 74), QPointF(94, 94));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x5f, 0xb3, 0xff));
    p.drawEllipse(QPointF(56, 56), 9, 9);
    return pixmap;
}

} // namespace

QIcon launcherIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(paintIcon(size));
    return icon;
}

} // namespace trovi
