#include "launcher/shell/LauncherShell.h"

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/LauncherIcon.h"
#include "launcher/shell/LauncherTray.h"
#include "launcher/shell/LauncherWindow.h"
#include "launcher/shell/WindowDragController.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace trovi {

namespace g = launcherGeometry;

namespace {

constexpr int kFocusLossGraceMilliseconds = 150;

// A Wayland client cannot place its windows: no stored positions, no snapping.
bool windowsPlaceThemselves() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QList<ScreenArea> screenAreas(qsizetype* primary) {
    QList<ScreenArea> areas;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens)
        areas.append({QRectF(screen->geometry()), QRectF(screen->availableGeometry())});
    *primary = screens.indexOf(QGuiApplication::primaryScreen());
    return areas;
}

} // namespace

LauncherShell::LauncherShell(LauncherWindow* window, PreferenceStore& preferences,
                             NotificationCenter& notifications, HotKeyBackend* hotKeyBackend,
                             QString versionText, LauncherShellHooks hooks)
    : m_window(window), m_preferences(preferences), m_notifications(notifications),
      m_versionText(std::move(versionText)), m_hooks(std::move(hooks)),
      m_sizeStore(WindowSizeStore::launcherWindow(preferences)), m_positionStore(preferences),
      m_hotKey(hotKeyBackend, preferences, notifications) {}

LauncherShell::~LauncherShell() {
    m_observers.clear();
    if (m_window)
        m_window->removeEventFilter(this);
}

void LauncherShell::start(bool startHidden) {
    LauncherWindow* window = m_window;
    // A tool window: no taskbar entry, above other windows, no title bar.
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, qApp, &QCoreApplication::quit);
    m_focusLossTimer = new QTimer(this);
    m_focusLossTimer->setSingleShot(true);
    m_focusLossTimer->setInterval(kFocusLossGraceMilliseconds);
    connect(m_focusLossTimer, &QTimer::timeout, this, [this] {
        if (m_window && m_window->isVisible() && !m_window->isActiveWindow() &&
            !m_mover->isGestureActive())
            hideWindow();
    });

    m_mover =
        new WindowDragController(window,
                                 {[this] { return preferredAvailableFrame(); },
                                  [this] { return m_showingResults; }, windowsPlaceThemselves()},
                                 this);
    connect(m_mover, &WindowDragController::placedByPerson, this, [this] {
        savePlacement();
        // Focus that left during the gesture and never came back is a real loss.
        if (m_window && m_window->isVisible() && !m_window->isActiveWindow())
            m_focusLossTimer->start();
    });
    window->installEventFilter(this);

    applyInitialGeometry();

    connect(window, &LauncherWindow::resultsVisibilityChanged, this,
            &LauncherShell::updateResultsVisibility);
    m_mover->followSnapPreference(m_preferences, m_notifications);

    // A screen that shrinks, appears or goes away must not leave the window off screen.
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        clampIntoScreen();
    });
    // Queued: the removed screen is still listed while the signal runs.
    connect(qApp, &QGuiApplication::screenRemoved, this, &LauncherShell::clampIntoScreen,
            Qt::QueuedConnection);

    // Start as the compact bar.
    m_showingResults = false;
    window->setMinimumSize(int(g::minWindowWidth), int(g::compactWindowHeight));
    window->setMaximumSize(int(g::maxWindowWidth), int(g::maxWindowHeight));
    resizeWindow(g::compactWindowHeight);

    if (!startHidden) {
        if (m_hooks.needsOnboarding && m_hooks.needsOnboarding() && m_hooks.showOnboarding)
            m_hooks.showOnboarding();
        else
            showWindow();
    }
    // Everything the first frame does not need waits until the window is on
    // screen: the icon (the SVG engine), the tray (D-Bus), the key grab.
    QTimer::singleShot(0, this, [this] {
        if (!m_window)
            return;
        LauncherWindow* window = m_window;
        window->setWindowIcon(launcherIcon());
        m_tray = new LauncherTray(window, m_preferences, m_notifications, m_versionText, this);
        connect(m_tray, &LauncherTray::showRequested, this, &LauncherShell::showWindow);
        connect(m_tray, &LauncherTray::toggleRequested, this, &LauncherShell::toggleWindow);
        connect(m_tray, &LauncherTray::settingsRequested, this, &LauncherShell::showSettingsWindow);
        connect(m_tray, &LauncherTray::onboardingRequested, this, [this] {
            if (m_hooks.showOnboarding)
                m_hooks.showOnboarding();
        });
        m_tray->start();

        m_hotKey.start([this] {
            toggleWindow();
            // After Qt has sent the map request, so the window is there to focus.
            if (m_window && m_window->isVisible())
                QTimer::singleShot(0, this, [this] {
                    if (m_window && m_window->isVisible())
                        m_hotKey.activateWindow(m_window->winId());
                });
        });
        m_hotKey.reload();
        if (m_hooks.prewarmTranslation)
            m_hooks.prewarmTranslation();
        if (m_hooks.reconcileRunAtLogin)
            m_hooks.reconcileRunAtLogin();
    });
}

// ---- Show and hide --------------------------------------------------------

void LauncherShell::showWindow() {
    if (!m_window)
        return;
    // The window restores or clears its search as it is shown, and selects
    // its query then: selecting later would swallow the keys typed right
    // after the hotkey.
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void LauncherShell::hideWindow() {
    if (m_focusLossTimer)
        m_focusLossTimer->stop();
    if (m_mover)
        m_mover->cancel();
    if (m_window && m_window->isVisible())
        m_window->hide();
}

void LauncherShell::toggleWindow() {
    if (m_window && m_window->isVisible())
        hideWindow();
    else
        showWindow();
}

void LauncherShell::showSettingsWindow() {
    hideWindow();
    if (m_hooks.showSettings) {
        m_hooks.showSettings();
        return;
    }
    std::fprintf(stderr, "trovi: the settings window is not available yet; use 'trovi config' "
                         "to change preferences\n");
    showWindow();
}

bool LauncherShell::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        // Focus went to another application: get out of the way. A move or
        // resize we asked the window manager for takes the focus meanwhile.
        if (m_window->isVisible() && !m_mover->isGestureActive())
            m_focusLossTimer->start();
        break;
    case QEvent::Hide:
        // Hiding takes the focus away before the window is hidden; that loss
        // must not hide the window again once it is next shown.
        m_focusLossTimer->stop();
        break;
    case QEvent::WindowActivate:
        m_focusLossTimer->stop();
        m_mover->systemGestureEnded();
        break;
    case QEvent::Resize:
        if (m_resizingProgrammatically)
            break;
        if (m_mover->isGestureActive()) {
            if (m_showingResults)
                m_lastExpandedHeight = m_window->height(); // stored when the gesture ends
        } else if (m_window->isVisible()) {
            clampIntoScreen(); // the manager's doing, not the person's: not stored
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
        return m_mover->handleMouseEvent(event);
    default:
        break;
    }
    return false;
}

// ---- Geometry -------------------------------------------------------------

QRectF LauncherShell::preferredAvailableFrame() const {
    qsizetype primary = -1;
    const QList<ScreenArea> screens = screenAreas(&primary);
    std::optional<QRectF> visibleFrame;
    if (m_window && m_window->isVisible())
        visibleFrame = QRectF(m_window->geometry());
    return trovi::preferredAvailableFrame(screens, primary, visibleFrame,
                                          m_positionStore.savedValues());
}

void LauncherShell::applyInitialGeometry() {
    const QSizeF size = m_sizeStore.load(g::defaultWindowSize);
    m_lastExpandedHeight = size.height();
    const QScopedValueRollback guard(m_resizingProgrammatically, true);
    if (!windowsPlaceThemselves()) {
        m_window->resize(size.toSize());
        return;
    }
    const QRectF within = preferredAvailableFrame();
    std::optional<QPointF> origin = m_positionStore.load(size, within);
    if (!origin) {
        origin = within.center() - QPointF(size.width() / 2, size.height() / 2);
        m_positionStore.save(QRectF(*origin, size));
    }
    m_window->setGeometry(QRectF(*origin, size).toRect());
}

void LauncherShell::updateResultsVisibility(bool hasResults) {
    m_showingResults = hasResults;
    const double target = targetWindowHeight(hasResults, m_lastExpandedHeight);
    if (m_window) {
        // Raising the minimum resizes the bar at once; that is not the user's height.
        const QScopedValueRollback guard(m_resizingProgrammatically, true);
        m_window->setMinimumHeight(
            int(hasResults ? g::minExpandedWindowHeight : g::compactWindowHeight));
    }
    resizeWindow(target);
}

void LauncherShell::resizeWindow(double height) {
    if (!m_window)
        return;
    const double target = targetWindowHeight(m_showingResults, height);
    const QRectF frame(m_window->geometry());
    if (std::abs(frame.height() - target) <= 0.5)
        return;
    const QScopedValueRollback guard(m_resizingProgrammatically, true);
    m_window->setGeometry(resizedKeepingTop(frame, target).toRect());
}

void LauncherShell::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &LauncherShell::clampIntoScreen);
    connect(screen, &QScreen::availableGeometryChanged, this, &LauncherShell::clampIntoScreen);
}

void LauncherShell::clampIntoScreen() {
    if (!m_window || !windowsPlaceThemselves())
        return;
    const QRectF frame(m_window->geometry());
    // Back to the person's own place where it fits again (a monitor plugged
    // back in), else the nearest place on the screen that is left.
    qsizetype primary = -1;
    const QList<ScreenArea> screens = screenAreas(&primary);
    const std::optional<QPointF> saved = m_positionStore.savedValues();
    QRectF within = preferredAvailableFrame();
    QPointF origin = frame.topLeft();
    if (saved && !m_window->isVisible()) {
        within = trovi::preferredAvailableFrame(screens, primary, std::nullopt, saved);
        origin = *saved;
    }
    origin = WindowPositionStore::clamped(origin, frame.size(), within);
    if (std::abs(origin.x() - frame.x()) > 0.5 || std::abs(origin.y() - frame.y()) > 0.5) {
        const QScopedValueRollback guard(m_resizingProgrammatically, true);
        m_window->move(origin.toPoint() - (m_window->geometry().topLeft() - m_window->pos()));
    }
}

void LauncherShell::savePlacement() {
    if (!m_window)
        return;
    // The compact bar never overwrites the expanded height.
    m_sizeStore.save(
        QSizeF(m_window->width(), m_showingResults ? m_window->height() : m_lastExpandedHeight));
    if (windowsPlaceThemselves())
        m_positionStore.save(QRectF(m_window->geometry()));
}

} // namespace trovi
