#pragma once
// WindowDragController: moving and resizing the launcher window with the
// mouse. A drag on the window's body moves it with our own steps, so each
// step can snap to the guide lines; a drag on an edge asks the window manager
// to resize (or, without one, resizes the window itself). While such a
// gesture runs, a focus loss is the manager's grab, not the person leaving.

#include "launcher/session/window/WindowSnapping.h"
#include "launcher/settings/NotificationCenter.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <memory>

class QMouseEvent;
class QWidget;

namespace trovi {

class PreferenceStore;
class SnapGridOverlay;

class WindowDragController : public QObject {
    Q_OBJECT
public:
    struct Context {
        // The screen area the window belongs to.
        std::function<QRectF()> availableFrame;
        // The bottom edge resizes only the panel, never the compact bar.
        std::function<bool()> showingResults;
        // False where the compositor places windows (Wayland): it moves them.
        bool placesItself = true;
    };

    WindowDragController(QWidget* window, Context context, QObject* parent = nullptr);
    ~WindowDragController() override;

    void setSnapToGrid(bool snap);
    // Snapping as stored, following "LauncherWindowSnapChanged".
    void followSnapPreference(PreferenceStore& preferences, NotificationCenter& center);
    // Press, move, release and enter on the window; true when the event was used.
    bool handleMouseEvent(QEvent* event);
    // A move or resize the person started is under way.
    bool isGestureActive() const { return m_drag.pressed || m_systemGesture; }
    bool isSystemGestureActive() const { return m_systemGesture; }
    // The window got focus back, or hides: the manager's gesture is over.
    void systemGestureEnded();
    // Hiding interrupts a drag: no guide lines outlive it.
    void cancel();

Q_SIGNALS:
    // The person put the window somewhere (end of a drag or own resize).
    void placedByPerson();

private:
    bool begin(const QPoint& position, const QPointF& globalPosition);
    void dragTo(const QPointF& globalPosition);
    void end();
    void hideOverlay();

    QPointer<QWidget> m_window;
    Context m_context;
    struct Drag {
        bool pressed = false;
        bool moving = false;
        Qt::Edges resizeEdges; // empty: a move
        QPointF startPointer;
        QRectF startFrame;
    } m_drag;
    bool m_systemGesture = false;
    WindowDragSnapper m_snapper;
    std::unique_ptr<SnapGridOverlay> m_overlay;
    bool m_snapToGrid = true;
    NotificationToken m_snapObserver;
};

} // namespace trovi
