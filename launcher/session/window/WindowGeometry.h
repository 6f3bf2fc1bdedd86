#pragma once
// The launcher window's shapes and places, as plain rectangle arithmetic so it
// runs without a window system. Coordinates are global screen coordinates
// with y growing downwards (Qt's); "top" is the window's top edge. The bar is
// compact while nothing is listed and grows downwards into a panel when
// results arrive, so its top edge is what stays put and what is stored.

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace trovi {

class PreferenceStore;

namespace launcherGeometry {
inline constexpr QSizeF defaultWindowSize{600, 460};
inline constexpr double minWindowWidth = 560;
inline constexpr double maxWindowWidth = 1400;
inline constexpr double minExpandedWindowHeight = 120;
inline constexpr double maxWindowHeight = 1200;
inline constexpr double compactWindowHeight = 76;
inline constexpr QSizeF defaultSettingsWindowSize{980, 620};
} // namespace launcherGeometry

class WindowSizeStore {
public:
    WindowSizeStore(PreferenceStore& defaults, QString widthKey, QString heightKey, double minWidth,
                    double maxWidth, double minHeight, double maxHeight);
    static WindowSizeStore launcherWindow(PreferenceStore& defaults);
    static WindowSizeStore settingsWindow(PreferenceStore& defaults);

    QSizeF load(const QSizeF& defaultSize) const;
    void save(const QSizeF& size) const;
    double clampedWidth(double width) const;
    double clampedHeight(double height) const;

private:
    PreferenceStore* m_defaults;
    QString m_widthKey, m_heightKey;
    double m_minWidth, m_maxWidth, m_minHeight, m_maxHeight;
};

class WindowPositionStore {
public:
    explicit WindowPositionStore(PreferenceStore& defaults);

    // (left, top) when both are stored as numbers.
    std::optional<QPointF> savedValues() const;
    // The stored top-left corner pulled inside `within`; nothing when unsaved.
    std::optional<QPointF> load(const QSizeF& windowSize, const QRectF& within) const;
    void save(const QRectF& frame) const;

    // Inside `within` where it fits; a window larger than the area sticks to
    // its top-left. An empty area leaves the origin as it is.
    static QPointF clamped(const QPointF& origin, const QSizeF& windowSize, const QRectF& within);

private:
    PreferenceStore* m_defaults;
};

struct ScreenArea {
    QRectF frame;
    QRectF availableFrame; // without panels and docks
};

// Index of the first screen whose frame holds the point.
std::optional<qsizetype> screenContaining(const QList<ScreenArea>& screens, const QPointF& point);
// The screen sharing the largest area with the rectangle; the earlier one on a tie.
std::optional<qsizetype> screenWithGreatestOverlap(const QList<ScreenArea>& screens,
                                                   const QRectF& rect);

// Where the launcher belongs: the screen showing it, else the screen of the
// saved position, else the primary screen (index `primary`), else nothing.
QRectF preferredAvailableFrame(const QList<ScreenArea>& screens, qsizetype primary,
                               const std::optional<QRectF>& visibleWindowFrame,
                               const std::optional<QPointF>& savedTopLeft);

// The height the window should have for its shape.
double targetWindowHeight(bool showingResults, double lastExpandedHeight);
// Same left edge, width and top edge; only the bottom moves.
QRectF resizedKeepingTop(const QRectF& frame, double height);
// What a user resize may produce in each shape.
QSizeF constrainedWindowSize(const QSizeF& proposed, bool showingResults);

} // namespace trovi
