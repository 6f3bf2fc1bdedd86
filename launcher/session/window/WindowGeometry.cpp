#include "launcher/session/window/WindowGeometry.h"

#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <algorithm>
#include <cmath>

namespace trovi {

namespace g = launcherGeometry;

// ---- Size -----------------------------------------------------------------

WindowSizeStore::WindowSizeStore(PreferenceStore& defaults, QString widthKey, QString heightKey,
                                 double minWidth, double maxWidth, double minHeight,
                                 double maxHeight)
    : m_defaults(&defaults), m_widthKey(std::move(widthKey)), m_heightKey(std::move(heightKey)),
      m_minWidth(minWidth), m_maxWidth(maxWidth), m_minHeight(minHeight), m_maxHeight(maxHeight) {}

WindowSizeStore WindowSizeStore::launcherWindow(PreferenceStore& defaults) {
    return WindowSizeStore(defaults, preferenceKeys::launcherWindowWidth,
                           preferenceKeys::launcherWindowHeight, g::minWindowWidth,
                           g::maxWindowWidth, g::minExpandedWindowHeight, g::maxWindowHeight);
}

WindowSizeStore WindowSizeStore::settingsWindow(PreferenceStore& defaults) {
    return WindowSizeStore(defaults, preferenceKeys::launcherSettingsWindowWidth,
                           preferenceKeys::launcherSettingsWindowHeight, 460, 1200, 420, 900);
}

namespace {

// Far beyond any desktop, yet small enough that pixel conversions never overflow.
constexpr double kLargestCoordinate = 1'000'000;

// Reals, and integers written by hand, both count as numbers. NaN, infinities
// and absurd values (a damaged file, a hand edit) count as unsaved, so the
// default applies instead of a window nobody can see.
std::optional<double> storedNumber(const PreferenceStore& defaults, const QString& key) {
    std::optional<double> value;
    if (auto real = defaults.realValue(key))
        value = *real;
    else if (auto integer = defaults.integerValue(key))
        value = double(*integer);
    if (value && (!std::isfinite(*value) || std::abs(*value) > kLargestCoordinate))
        return std::nullopt;
    return value;
}

} // namespace

double WindowSizeStore::clampedWidth(double width) const {
    return std::clamp(width, m_minWidth, m_maxWidth);
}

double WindowSizeStore::clampedHeight(double height) const {
    return std::clamp(height, m_minHeight, m_maxHeight);
}

QSizeF WindowSizeStore::load(const QSizeF& defaultSize) const {
    return {clampedWidth(storedNumber(*m_defaults, m_widthKey).value_or(defaultSize.width())),
            clampedHeight(storedNumber(*m_defaults, m_heightKey).value_or(defaultSize.height()))};
}

void WindowSizeStore::save(const QSizeF& size) const {
    m_defaults->setReal(m_widthKey, clampedWidth(size.width()));
    m_defaults->setReal(m_heightKey, clampedHeight(size.height()));
}

// ---- Position -------------------------------------------------------------

WindowPositionStore::WindowPositionStore(PreferenceStore& defaults) : m_defaults(&defaults) {}

std::optional<QPointF> WindowPositionStore::savedValues() const {
    const auto x = storedNumber(*m_defaults, preferenceKeys::launcherWindowX);
    const auto top = storedNumber(*m_defaults, preferenceKeys::launcherWindowTopY);
    if (!x || !top)
        return std::nullopt;
    return QPointF(*x, *top);
}

std::optional<QPointF> WindowPositionStore::load(const QSizeF& windowSize,
                                                 const QRectF& within) const {
    const auto saved = savedValues();
    if (!saved)
        return std::nullopt;
    return clamped(*saved, windowSize, within);
}

void WindowPositionStore::save(const QRectF& frame) const {
    m_defaults->setReal(preferenceKeys::launcherWindowX, frame.left());
    m_defaults->setReal(preferenceKeys::launcherWindowTopY, frame.top());
}

QPointF WindowPositionStore::clamped(const QPointF& origin, const QSizeF& windowSize,
                                     const QRectF& within) {
    if (within.isEmpty())
        return origin;
    const double x = std::min(std::max(origin.x(), within.left()),
                              std::max(within.right() - windowSize.width(), within.left()));
    const double y = std::min(std::max(origin.y(), within.top()),
                              std::max(within.bottom() - windowSize.height(), within.top()));
    return {x, y};
}

// ---- Screens --------------------------------------------------------------

std::optional<qsizetype> screenContaining(const QList<ScreenArea>& screens, const QPointF& point) {
    for (qsizetype i = 0; i < screens.size(); ++i)
        if (screens.at(i).frame.contains(point))
            return i;
    return std::nullopt;
}

std::optional<qsizetype> screenWithGreatestOverlap(const QList<ScreenArea>& screens,
                                                   const QRectF& rect) {
    std::optional<qsizetype> best;
    double bestArea = 0;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRectF overlap = screens.at(i).frame.intersected(rect);
        const double area = overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    return best;
}

QRectF preferredAvailableFrame(const QList<ScreenArea>& screens, qsizetype primary,
                               const std::optional<QRectF>& visibleWindowFrame,
                               const std::optional<QPointF>& savedTopLeft) {
    if (visibleWindowFrame && !visibleWindowFrame->isEmpty()) {
        auto index = screenContaining(screens, visibleWindowFrame->center());
        if (!index)
            index = screenWithGreatestOverlap(screens, *visibleWindowFrame);
        if (index)
            return screens.at(*index).availableFrame;
    } else if (savedTopLeft) {
        // Just inside the top edge, so a window touching a screen's top counts.
        if (auto index = screenContaining(screens, *savedTopLeft + QPointF(0, 1)))
            return screens.at(*index).availableFrame;
    }
    if (primary >= 0 && primary < screens.size())
        return screens.at(primary).availableFrame;
    return screens.isEmpty() ? QRectF() : screens.front().availableFrame;
}

// ---- Shapes ---------------------------------------------------------------

double targetWindowHeight(bool showingResults, double lastExpandedHeight) {
    if (!showingResults)
        return g::compactWindowHeight;
    return std::clamp(std::max(g::minExpandedWindowHeight, lastExpandedHeight),
                      g::minExpandedWindowHeight, g::maxWindowHeight);
}

QRectF resizedKeepingTop(const QRectF& frame, double height) {
    return QRectF(frame.left(), frame.top(), frame.width(), height);
}

QSizeF constrainedWindowSize(const QSizeF& proposed, bool showingResults) {
    const double width = std::clamp(proposed.width(), g::minWindowWidth, g::maxWindowWidth);
    const double height = showingResults ? std::clamp(proposed.height(), g::minExpandedWindowHeight,
                                                      g::maxWindowHeight)
                                         : g::compactWindowHeight;
    return {width, height};
}

} // namespace trovi
