#include "launcher/shell/settings/ThemePreviewCard.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace trovi {

ThemePreviewCard::ThemePreviewCard(ThemePreview preview, QWidget* parent)
    : QAbstractButton(parent), m_preview(std::move(preview)) {
    setCheckable(true);
    setObjectName(QStringLiteral("theme_") + m_preview.id);
    setAccessibleName(m_preview.name);
    setToolTip(m_preview.name);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void ThemePreviewCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(2, 2, -2, -2);
    QPainterPath shape;
    shape.addRoundedRect(frame, 8, 8);
    QLinearGradient gradient(frame.topLeft(), frame.bottomLeft());
    gradient.setColorAt(0, m_preview.backgroundTop);
    gradient.setColorAt(1, m_preview.backgroundBottom);
    painter.fillPath(shape, gradient);

    // A sample search field line and a selected row.
    const QRectF field(frame.left() + 8, frame.top() + 8, frame.width() - 16, 10);
    painter.setPen(Qt::NoPen);
    QColor fieldColor = m_preview.text;
    fieldColor.setAlphaF(0.18);
    painter.setBrush(fieldColor);
    painter.drawRoundedRect(field, 3, 3);
    const QRectF row(frame.left() + 8, field.bottom() + 6, frame.width() - 16, 14);
    painter.setBrush(m_preview.selection);
    painter.drawRoundedRect(row, 3, 3);

    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    font.setBold(isChecked());
    painter.setFont(font);
    painter.setPen(m_preview.text);
    const QRectF label(frame.left() + 8, row.bottom() + 4, frame.width() - 16,
                       frame.bottom() - row.bottom() - 6);
    // Long names ("Vitesse Dark Soft (Syntax)") take a second line rather
    // than losing the part that tells them apart.
    const QRect bounds = painter.fontMetrics().boundingRect(
        label.toRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, m_preview.name);
    if (bounds.height() <= label.height())
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                         m_preview.name);
    else
        painter.drawText(
            label, Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(m_preview.name, Qt::ElideRight, int(label.width())));

    QPen outline(isChecked() ? palette().color(QPalette::Highlight)
                             : palette().color(QPalette::Mid));
    outline.setWidthF(isChecked() ? 2.5 : 1);
    if (hasFocus())
        outline.setStyle(Qt::DashLine);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

} // namespace trovi
