#include "launcher/shell/SnapGridOverlay.h"

#include <QPainter>

#include <cmath>

namespace trovi {

namespace {

constexpr int kDash = 6;
constexpr int kHighlightWidth = 2;

bool near(double line, std::optional<double> highlight) {
    return highlight && std::abs(line - *highlight) <= 0.5;
}

std::optional<double> shifted(std::optional<double> value, double by) {
    return value ? std::optional<double>(*value - by) : std::nullopt;
}

} // namespace

SnapGridOverlay::SnapGridOverlay()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint) {
    setObjectName(QStringLiteral("snapGridOverlay"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void SnapGridOverlay::showGuides(const QRectF& visible, const LauncherSnapState& state,
                                 std::optional<double> highlightedVertical,
                                 std::optional<double> highlightedHorizontal) {
    if (geometry() != visible.toRect())
        setGeometry(visible.toRect());
    m_verticalLines.clear();
    m_horizontalLines.clear();
    for (double x : state.verticalGuideLines)
        m_verticalLines.append(x - visible.left());
    for (double y : state.horizontalGuideLines)
        m_horizontalLines.append(y - visible.top());
    m_highlightedVertical = shifted(highlightedVertical, visible.left());
    m_highlightedHorizontal = shifted(highlightedHorizontal, visible.top());
    QRegion shape;
    for (const Stroke& stroke : strokes())
        shape += stroke.rect;
    setMask(shape);
    update();
    show();
    raise();
}

QList<SnapGridOverlay::Stroke> SnapGridOverlay::strokes() const {
    const QColor guide(255, 255, 255, int(0.28 * 255));
    const QColor highlight(255, 204, 0, int(0.82 * 255));
    QList<Stroke> out;
    auto add = [&](double at, bool vertical, bool highlighted) {
        const int thickness = highlighted ? kHighlightWidth : 1;
        const int p = int(std::lround(at)) - (highlighted ? 1 : 0);
        const int length = vertical ? height() : width();
        const int dash = highlighted ? length : kDash;
        for (int from = 0; from < length; from += 2 * dash)
            out.append(
                {vertical ? QRect(p, from, thickness, dash) : QRect(from, p, dash, thickness),
                 highlighted ? highlight : guide});
    };
    for (double x : m_verticalLines)
        if (!near(x, m_highlightedVertical))
            add(x, true, false);
    for (double y : m_horizontalLines)
        if (!near(y, m_highlightedHorizontal))
            add(y, false, false);
    if (m_highlightedVertical)
        add(*m_highlightedVertical, true, true);
    if (m_highlightedHorizontal)
        add(*m_highlightedHorizontal, false, true);
    return out;
}

void SnapGridOverlay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    for (const Stroke& stroke : strokes())
        p.fillRect(stroke.rect, stroke.colour);
}

} // namespace trovi
