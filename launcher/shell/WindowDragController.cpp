#include "launcher/shell/WindowDragController.h"

#include "launcher/session/window/WindowGeometry.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/SnapGridOverlay.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <cmath>

namespace trovi {

namespace {

constexpr int kResizeHandleWidth = 8;

} // namespace

WindowDragController::WindowDragController(QWidget* window, Context context, QObject* parent)
    : QObject(parent), m_window(window), m_context(std::move(context)) {}

WindowDragController::~WindowDragController() = default;

void WindowDragController::setSnapToGrid(bool snap) {
    m_snapToGrid = snap;
    if (!snap)
        hideOverlay();
}

void WindowDragController::followSnapPreference(PreferenceStore& preferences,
                                                NotificationCenter& center) {
    setSnapToGrid(WindowSnapSettingsStore(preferences).load());
    m_snapObserver = center.observe(notifications::LauncherWindowSnapChanged,
                                    [this, &preferences](const QVariantMap&) {
                                        setSnapToGrid(WindowSnapSettingsStore(preferences).load());
                                    });
}

bool WindowDragController::handleMouseEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton &&
               begin(mouse->position().toPoint(), mouse->globalPosition());
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_drag.pressed && mouse->buttons().testFlag(Qt::LeftButton)) {
            dragTo(mouse->globalPosition());
            return true;
        }
        // The pointer is ours again: whatever the manager did is over.
        if (m_systemGesture && mouse->buttons() == Qt::NoButton)
            systemGestureEnded();
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_drag.pressed && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            end();
            return true;
        }
        systemGestureEnded(); // the release Qt reports once the manager lets go
        return false;
    case QEvent::Enter:
        systemGestureEnded(); // the pointer came back from the manager's grab
        return false;
    default:
        return false;
    }
}

bool WindowDragController::begin(const QPoint& position, const QPointF& globalPosition) {
    QWindow* handle = m_window ? m_window->windowHandle() : nullptr;
    if (!handle)
        return false;
    Qt::Edges edges;
    if (position.x() < kResizeHandleWidth)
        edges = Qt::LeftEdge;
    else if (position.x() >= m_window->width() - kResizeHandleWidth)
        edges = Qt::RightEdge;
    else if (m_context.showingResults() && position.y() >= m_window->height() - kResizeHandleWidth)
        edges = Qt::BottomEdge;
    if (edges) {
        if (handle->startSystemResize(edges)) {
            m_systemGesture = true;
            return true;
        }
        // No window manager to ask: resize by hand.
    } else if (!m_context.placesItself) {
        m_systemGesture = handle->startSystemMove();
        return m_systemGesture;
    }
    m_drag = {true, false, edges, globalPosition, QRectF(m_window->geometry())};
    return true;
}

void WindowDragController::dragTo(const QPointF& globalPosition) {
    const QPointF offset = globalPosition - m_drag.startPointer;
    if (!m_drag.moving) {
        // A click that wobbles is not a drag.
        if (std::abs(offset.x()) <= 0.5 && std::abs(offset.y()) <= 0.5)
            return;
        m_drag.moving = true;
        if (!m_drag.resizeEdges)
            m_snapper.dragBegan();
    }
    if (m_drag.resizeEdges) {
        QRectF frame = m_drag.startFrame;
        if (m_drag.resizeEdges & Qt::LeftEdge)
            frame.setLeft(frame.left() + offset.x());
        else if (m_drag.resizeEdges & Qt::RightEdge)
            frame.setRight(frame.right() + offset.x());
        else
            frame.setBottom(frame.bottom() + offset.y());
        const QSizeF size = constrainedWindowSize(frame.size(), m_context.showingResults());
        // The edge opposite the one dragged stays put.
        if (m_drag.resizeEdges & Qt::LeftEdge)
            frame.setLeft(m_drag.startFrame.right() - size.width());
        frame.setSize(size);
        m_window->setGeometry(frame.toRect());
        return;
    }
    const QRectF visible = m_context.availableFrame();
    const WindowDragSnapper::Step step = m_snapper.dragMovedOnScreen(
        m_drag.startFrame.topLeft() + offset, QRectF(m_window->geometry()), visible, m_snapToGrid);
    // move() places the frame, if the platform drew one.
    m_window->move(step.origin.toPoint() - (m_window->geometry().topLeft() - m_window->pos()));
    if (!step.showOverlay) {
        hideOverlay();
        return;
    }
    if (!m_overlay)
        m_overlay = std::make_unique<SnapGridOverlay>();
    m_overlay->showGuides(visible, step.state, step.highlightedVerticalLine,
                          step.highlightedHorizontalLine);
}

void WindowDragController::end() {
    const bool moved = m_drag.moving;
    const bool wasMove = !m_drag.resizeEdges;
    m_drag = {};
    if (wasMove)
        m_snapper.dragEnded();
    hideOverlay();
    if (moved)
        Q_EMIT placedByPerson();
}

void WindowDragController::systemGestureEnded() {
    if (!m_systemGesture)
        return;
    m_systemGesture = false;
    Q_EMIT placedByPerson();
}

void WindowDragController::cancel() {
    m_drag = {};
    m_systemGesture = false;
    m_snapper.dragEnded();
    hideOverlay();
}

void WindowDragController::hideOverlay() {
    if (m_overlay)
        m_overlay->hide();
}

} // namespace trovi
