#include "launcher/session/window/WindowSnapping.h"

#include "launcher/session/window/WindowGeometry.h"

#include <algorithm>
#include <cmath>

namespace trovi {

namespace {

std::optional<qsizetype> nearestIndex(double value, const QList<double>& candidates) {
    std::optional<qsizetype> best;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        if (!best || std::abs(candidates[i] - value) < std::abs(candidates[*best] - value))
            best = i;
    }
    return best;
}

// Reflection about y = 0 turns a y-down rectangle into a y-up one and back.
QRectF flipped(const QRectF& rect) {
    return QRectF(rect.x(), -(rect.y() + rect.height()), rect.width(), rect.height());
}

std::optional<double> flipped(std::optional<double> y) {
    return y ? std::optional(-*y) : std::nullopt;
}

// Keeps a lock while the value stays within the release distance, otherwise
// looks for a new one.
std::optional<double> updatedLock(std::optional<double> lock, double value,
                                  const QList<double>& candidates) {
    if (!lock || std::abs(value - *lock) > windowSnapping::snapReleaseThreshold)
        lock = nearestSnapCandidate(value, candidates, windowSnapping::snapThreshold);
    return lock;
}

} // namespace

LauncherSnapState snapState(const QRectF& windowFrame, const QRectF& visible) {
    const double W = visible.width(), H = visible.height();
    const double w = windowFrame.width(), h = windowFrame.height();
    const double minY = visible.y(), midX = visible.center().x();
    LauncherSnapState state;
    state.horizontalGuideLines = {minY + H / 3, minY + H / 2, minY + 2 * H / 3, minY + 5 * H / 6};
    for (double line : state.horizontalGuideLines)
        state.candidateYOrigins.append(line - h / 2);
    state.candidateXOrigins = {midX - w / 2};
    const double bar =
        std::min(std::max(w - windowSnapping::snapSearchBarHorizontalInset, 200.0), W);
    state.verticalGuideLines = {midX - bar / 2, midX, midX + bar / 2};
    return state;
}

std::optional<double> nearestSnapCandidate(double currentValue, const QList<double>& candidates,
                                           double threshold) {
    const std::optional<qsizetype> index = nearestIndex(currentValue, candidates);
    if (!index || std::abs(candidates[*index] - currentValue) > threshold)
        return std::nullopt;
    return candidates[*index];
}

std::optional<double> matchedGuideLine(std::optional<double> value,
                                       const QList<double>& candidateOrigins,
                                       const QList<double>& guideLines) {
    if (!value)
        return std::nullopt;
    const std::optional<qsizetype> index = nearestIndex(*value, candidateOrigins);
    if (!index || *index >= guideLines.size())
        return std::nullopt;
    return guideLines[*index];
}

WindowDragSnapper::Step WindowDragSnapper::dragMoved(const QPointF& proposedOrigin,
                                                     const QRectF& windowFrame,
                                                     const QRectF& visible, bool snappingEnabled) {
    Step step;
    step.origin = proposedOrigin;
    if (!snappingEnabled) {
        clear();
        return step;
    }
    step.state = snapState(windowFrame, visible);
    m_lockedX = updatedLock(m_lockedX, proposedOrigin.x(), step.state.candidateXOrigins);
    m_lockedY = updatedLock(m_lockedY, proposedOrigin.y(), step.state.candidateYOrigins);
    if (m_lockedX) {
        step.origin.setX(*m_lockedX);
        if (step.state.verticalGuideLines.size() >= 2)
            step.highlightedVerticalLine = step.state.verticalGuideLines[1];
    }
    if (m_lockedY)
        step.origin.setY(*m_lockedY);
    step.highlightedHorizontalLine =
        matchedGuideLine(m_lockedY, step.state.candidateYOrigins, step.state.horizontalGuideLines);
    step.showOverlay = true;
    return step;
}

WindowDragSnapper::Step WindowDragSnapper::dragMovedOnScreen(const QPointF& proposedTopLeft,
                                                             const QRectF& windowFrame,
                                                             const QRectF& visible,
                                                             bool snappingEnabled) {
    const double h = windowFrame.height();
    Step step = dragMoved(QPointF(proposedTopLeft.x(), -(proposedTopLeft.y() + h)),
                          flipped(windowFrame), flipped(visible), snappingEnabled);
    step.origin = WindowPositionStore::clamped(QPointF(step.origin.x(), -(step.origin.y() + h)),
                                               windowFrame.size(), visible);
    LauncherSnapState& s = step.state;
    for (double& line : s.horizontalGuideLines)
        line = -line;
    for (double& origin : s.candidateYOrigins)
        origin = -(origin + h);
    step.highlightedHorizontalLine = flipped(step.highlightedHorizontalLine);
    return step;
}

} // namespace trovi
