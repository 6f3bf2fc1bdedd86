#pragma once
// SnapGridOverlay: the guide lines shown over the screen while the launcher
// is dragged, the ones it is snapped to highlighted. It never takes input or
// focus; its shape is cut to the lines, so it also looks right where windows
// cannot be translucent.

#include "launcher/session/window/WindowSnapping.h"

#include <QWidget>

#include <optional>

namespace trovi {

class SnapGridOverlay : public QWidget {
    Q_OBJECT
public:
    SnapGridOverlay();

    // Everything in y-down screen coordinates; the overlay covers `visible`.
    void showGuides(const QRectF& visible, const LauncherSnapState& state,
                    std::optional<double> highlightedVertical,
                    std::optional<double> highlightedHorizontal);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Stroke {
        QRect rect;
        QColor colour;
    };
    // The lines as filled rectangles, which are also the window's shape.
    QList<Stroke> strokes() const;

    // In the overlay's own coordinates.
    QList<double> m_verticalLines;
    QList<double> m_horizontalLines;
    std::optional<double> m_highlightedVertical;
    std::optional<double> m_highlightedHorizontal;
};

} // namespace trovi
