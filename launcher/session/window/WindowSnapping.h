#pragma once
// Window snapping while the launcher is dragged: horizontally centred, and
// vertically centred on one of four guide lines. The rules are written in
// y-up screen coordinates (a rectangle's y() is its bottom edge), as the
// snapping was designed; WindowDragSnapper::dragMovedOnScreen converts Qt's
// y-down frames at the edge.

#include <QList>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace trovi {

namespace windowSnapping {
inline constexpr double snapThreshold = 10;
inline constexpr double snapReleaseThreshold = 22;
inline constexpr double snapSearchBarHorizontalInset = 16;
} // namespace windowSnapping

struct LauncherSnapState {
    QList<double> candidateXOrigins;
    QList<double> candidateYOrigins;
    QList<double> verticalGuideLines;
    QList<double> horizontalGuideLines;
};

// y-up.
LauncherSnapState snapState(const QRectF& windowFrame, const QRectF& visible);
// The nearest candidate (the earlier on a tie), when within the threshold.
std::optional<double> nearestSnapCandidate(double currentValue, const QList<double>& candidates,
                                           double threshold);
// The guide line whose candidate origin is nearest to `value`.
std::optional<double> matchedGuideLine(std::optional<double> value,
                                       const QList<double>& candidateOrigins,
                                       const QList<double>& guideLines);

// One drag: a window that comes within 10 points of a guide jumps onto it and
// stays there until the pointer has pulled it more than 22 points away.
class WindowDragSnapper {
public:
    struct Step {
        QPointF origin;
        bool showOverlay = false;
        LauncherSnapState state;
        std::optional<double> highlightedVerticalLine;
        std::optional<double> highlightedHorizontalLine;
    };

    void dragBegan() { clear(); }
    void dragEnded() { clear(); }
    bool isLocked() const { return m_lockedX || m_lockedY; }

    // y-up: `proposedOrigin` is the bottom-left corner the drag asks for.
    Step dragMoved(const QPointF& proposedOrigin, const QRectF& windowFrame, const QRectF& visible,
                   bool snappingEnabled);
    // Qt's y-down: `proposedTopLeft` and the frames as QWidget::geometry gives
    // them. The origin comes back clamped into `visible`; the guide lines are
    // in y-down screen coordinates too.
    Step dragMovedOnScreen(const QPointF& proposedTopLeft, const QRectF& windowFrame,
                           const QRectF& visible, bool snappingEnabled);

private:
    void clear() {
        m_lockedX.reset();
        m_lockedY.reset();
    }
    std::optional<double> m_lockedX;
    std::optional<double> m_lockedY;
};

} // namespace trovi
