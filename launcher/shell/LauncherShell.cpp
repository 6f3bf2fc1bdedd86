#include "launcher/shell/LauncherShell.h"

#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceStore.h"
#include "launcher/shell/LauncherIcon.h"
#include "launcher/shell/SnapGridOverlay.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstdio>

namespace trovi {

namespace g = launcherGeometry;
namespace names = notifications;

namespace {

constexpr int kResizeHandleWidth = 8;
constexpr int kFocusLossGraceMilliseconds = 150;

// Flags the programmatic geometry changes, so the handlers that store the
// user's size and place leave them alone.
class ProgrammaticResize {
public:
    explicit ProgrammaticResize(bool& flag) : m_flag(flag), m_previous(flag) { m_flag = true; }
    ~ProgrammaticResize() { m_flag = m_previous; }

private:
    bool& m_flag;
    bool m_previous;
};

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

LauncherShell::LauncherShell(QWidget* window, PreferenceStore& preferences,
                             NotificationCenter& notifications, HotKeyBackend* hotKeyBackend,
                             QString versionText, LauncherShellHooks hooks)
    : m_window(window), m_preferences(preferences), m_notifications(notifications),
      m_versionText(std::move(versionText)), m_hooks(std::move(hooks)),
      m_sizeStore(WindowSizeStore::launcherWindow(preferences)), m_positionStore(preferences) {
    if (hotKeyBackend)
        m_hotKeyManager = std::make_unique<GlobalHotKeyManager>(*hotKeyBackend);
}

LauncherShell::~LauncherShell() {
    m_observers.clear();
    m_snapOverlay.reset();
    if (m_hotKeyManager)
        m_hotKeyManager->unregisterHotKey();
    if (m_window)
        m_window->removeEventFilter(this);
}

void LauncherShell::start(bool startHidden) {
    QWidget* window = m_window;
    // A tool window: no taskbar entry, above other windows, no title bar.
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setWindowIcon(launcherIcon());
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, qApp, &QCoreApplication::quit);
    window->installEventFilter(this);
    m_focusLossTimer = new QTimer(this);
    m_focusLossTimer->setSingleShot(true);
    m_focusLossTimer->setInterval(kFocusLossGraceMilliseconds);
    connect(m_focusLossTimer, &QTimer::timeout, this, [this] {
        if (m_window && m_window->isVisible() && !m_window->isActiveWindow())
            hideWindow();
    });

    applyInitialGeometry();

    m_observers.push_back(m_notifications.observe(
        names::LauncherResultsVisibilityChanged, [this](const QVariantMap& payload) {
            const QVariant value = payload.value(names::hasResultsKey);
            updateResultsVisibility(value.typeId() == QMetaType::Bool && value.toBool());
        }));
    m_observers.push_back(m_notifications.observe(
        names::LauncherHotKeyChanged, [this](const QVariantMap&) { reloadGlobalHotKey(); }));
    m_observers.push_back(m_notifications.observe(
        names::LauncherMenuBarIconVisibilityChanged, [this](const QVariantMap&) {
            m_showMenuBarIcon = MenuBarIconVisibilityStore(m_preferences).load();
            updateTrayIcon();
        }));
    m_observers.push_back(m_notifications.observe(
        names::LauncherVersionVisibilityChanged, [this](const QVariantMap&) {
            m_showVersionNumber = VersionVisibilityStore(m_preferences).load();
        }));

    m_observers.push_back(
        m_notifications.observe(names::LauncherWindowSnapChanged, [this](const QVariantMap&) {
            m_snapToGrid = WindowSnapSettingsStore(m_preferences).load();
            if (!m_snapToGrid)
                hideSnapOverlay();
        }));

    m_showMenuBarIcon = MenuBarIconVisibilityStore(m_preferences).load();
    m_showVersionNumber = VersionVisibilityStore(m_preferences).load();
    m_snapToGrid = WindowSnapSettingsStore(m_preferences).load();
    updateTrayIcon();

    if (m_hotKeyManager) {
        m_hotKeyManager->onHotKeyPressed = [this] {
            toggleWindow();
            // After Qt has sent the map request, so the window is there to focus.
            if (m_window && m_window->isVisible())
                QTimer::singleShot(0, this, [this] {
                    if (m_window && m_window->isVisible())
                        m_hotKeyManager->activateWindow(m_window->winId());
                });
        };
    }
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
    // Slower work waits until the window is on screen.
    QTimer::singleShot(0, this, [this] {
        reloadGlobalHotKey();
        if (m_hooks.prewarmTranslation)
            m_hooks.prewarmTranslation();
        if (m_hooks.reconcileRunAtLogin)
            m_hooks.reconcileRunAtLogin();
    });
}

// ---- Show and hide --------------------------------------------------------

void LauncherShell::showWindow() {
    // Before the window is visible, so the view restores or clears its search first.
    m_notifications.post(names::WindowAppeared);
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    // The window selects its query as it is shown: selecting later would
    // swallow the keys typed right after the hotkey.
}

void LauncherShell::hideWindow() {
    if (m_focusLossTimer)
        m_focusLossTimer->stop();
    // No guide lines outlive an interrupted drag.
    m_drag = {};
    m_snapper.dragEnded();
    hideSnapOverlay();
    if (m_window && m_window->isVisible())
        m_window->hide(); // the Hide event posts "WindowHidden"
}

void LauncherShell::toggleWindow() {
    if (!m_window)
        return;
    if (m_window->isVisible())
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
    case QEvent::Hide:
        m_notifications.post(names::WindowHidden);
        break;
    case QEvent::WindowDeactivate:
        // Focus went to another application: get out of the way.
        if (m_window->isVisible())
            m_focusLossTimer->start();
        break;
    case QEvent::WindowActivate:
        m_focusLossTimer->stop();
        break;
    case QEvent::Resize:
        if (!m_resizingProgrammatically) {
            if (m_showingResults)
                m_lastExpandedHeight = m_window->height();
            saveSize();
            if (m_window->isVisible() && windowsPlaceThemselves()) {
                clampIntoScreen();
                m_positionStore.save(QRectF(m_window->geometry()));
            }
        }
        break;
    case QEvent::Move:
        if (!m_resizingProgrammatically && m_window->isVisible() && windowsPlaceThemselves())
            m_positionStore.save(QRectF(m_window->geometry()));
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            beginWindowDrag(mouse->position().toPoint(), mouse->globalPosition()))
            return true;
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_drag.pressed && mouse->buttons().testFlag(Qt::LeftButton)) {
            dragWindowTo(mouse->globalPosition());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_drag.pressed && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            endWindowDrag();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

bool LauncherShell::beginWindowDrag(const QPoint& position, const QPointF& globalPosition) {
    QWindow* handle = m_window->windowHandle();
    if (!handle)
        return false;
    if (position.x() < kResizeHandleWidth)
        return handle->startSystemResize(Qt::LeftEdge);
    if (position.x() >= m_window->width() - kResizeHandleWidth)
        return handle->startSystemResize(Qt::RightEdge);
    if (m_showingResults && position.y() >= m_window->height() - kResizeHandleWidth)
        return handle->startSystemResize(Qt::BottomEdge);
    if (!windowsPlaceThemselves())
        return handle->startSystemMove();
    m_drag = {true, false, globalPosition, QPointF(m_window->geometry().topLeft())};
    return true;
}

void LauncherShell::dragWindowTo(const QPointF& globalPosition) {
    const QPointF offset = globalPosition - m_drag.startPointer;
    if (!m_drag.moving) {
        // A click that wobbles is not a drag.
        if (std::abs(offset.x()) <= 0.5 && std::abs(offset.y()) <= 0.5)
            return;
        m_drag.moving = true;
        m_snapper.dragBegan();
    }
    const QRectF visible = preferredAvailableFrame();
    const WindowDragSnapper::Step step = m_snapper.dragMovedOnScreen(
        m_drag.startOrigin + offset, QRectF(m_window->geometry()), visible, m_snapToGrid);
    {
        // Stored once, when the drag ends. move() places the frame, if the
        // platform drew one.
        ProgrammaticResize guard(m_resizingProgrammatically);
        m_window->move(step.origin.toPoint() - (m_window->geometry().topLeft() - m_window->pos()));
    }
    if (!step.showOverlay) {
        hideSnapOverlay();
        return;
    }
    if (!m_snapOverlay)
        m_snapOverlay = std::make_unique<SnapGridOverlay>();
    m_snapOverlay->showGuides(visible, step.state, step.highlightedVerticalLine,
                              step.highlightedHorizontalLine);
}

void LauncherShell::endWindowDrag() {
    const bool moved = m_drag.moving;
    m_drag = {};
    m_snapper.dragEnded();
    hideSnapOverlay();
    if (moved && m_window)
        m_positionStore.save(QRectF(m_window->geometry()));
}

void LauncherShell::hideSnapOverlay() {
    if (m_snapOverlay)
        m_snapOverlay->hide();
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
    ProgrammaticResize guard(m_resizingProgrammatically);
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
        ProgrammaticResize guard(m_resizingProgrammatically);
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
    ProgrammaticResize guard(m_resizingProgrammatically);
    m_window->setGeometry(resizedKeepingTop(frame, target).toRect());
}

void LauncherShell::clampIntoScreen() {
    const QRectF frame(m_window->geometry());
    const QPointF origin =
        WindowPositionStore::clamped(frame.topLeft(), frame.size(), preferredAvailableFrame());
    if (std::abs(origin.x() - frame.x()) > 0.5 || std::abs(origin.y() - frame.y()) > 0.5) {
        ProgrammaticResize guard(m_resizingProgrammatically);
        m_window->move(origin.toPoint());
    }
}

void LauncherShell::saveSize() {
    // The compact bar never overwrites the expanded height.
    m_sizeStore.save(
        QSizeF(m_window->width(), m_showingResults ? m_window->height() : m_lastExpandedHeight));
}

// ---- Hotkey ---------------------------------------------------------------

void LauncherShell::reloadGlobalHotKey() {
    const HotKeySettings settings = HotKeySettingsStore(m_preferences).load();
    if (m_hotKeyManager)
        m_lastRegistration = m_hotKeyManager->registerHotKey(settings);
    else
        m_lastRegistration = {!settings.isEnabled, QStringLiteral("No global hotkeys here.")};
    if (!m_lastRegistration.success)
        std::fprintf(stderr, "trovi: hotkey %s not registered: %s\n",
                     hotKeyDisplayString(settings).toUtf8().constData(),
                     m_lastRegistration.message.toUtf8().constData());
    m_notifications.post(names::LauncherHotKeyRegistrationStatusChanged,
                         {{names::successKey, m_lastRegistration.success},
                          {QStringLiteral("message"), m_lastRegistration.message}});
}

// ---- Tray -----------------------------------------------------------------

void LauncherShell::updateTrayIcon() {
    const bool wanted = m_showMenuBarIcon && QSystemTrayIcon::isSystemTrayAvailable();
    if (!wanted) {
        // Later: this may run from the tray's own menu.
        if (m_tray) {
            m_tray->hide();
            m_tray->contextMenu()->deleteLater();
            m_tray->deleteLater();
            m_tray = nullptr;
        }
        return;
    }
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(launcherIcon(), this);
    m_tray->setToolTip(QStringLiteral("Trovi Launcher"));
    m_tray->setContextMenu(buildTrayMenu());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    toggleWindow();
            });
    m_tray->show();
}

QMenu* LauncherShell::buildTrayMenu() {
    auto* menu = new QMenu(m_window);
    // Rebuilt on every opening, so check marks follow the stored values.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menu->clear();
        if (m_showVersionNumber)
            menu->addAction(QStringLiteral("Trovi Launcher %1").arg(m_versionText))
                ->setEnabled(false);
        connect(menu->addAction(QStringLiteral("Show Launcher")), &QAction::triggered, this,
                &LauncherShell::showWindow);
        connect(menu->addAction(QStringLiteral("Settings…")), &QAction::triggered, this,
                &LauncherShell::showSettingsWindow);
        menu->addSeparator();
        auto toggle = [this, menu](const QString& title, bool checked, auto flip) {
            QAction* action = menu->addAction(title);
            connect(action, &QAction::triggered, this, flip);
            action->setCheckable(true);
            action->setChecked(checked);
        };
        toggle(QStringLiteral("Show Search Snippets"), ShowSnippetsStore(m_preferences).load(),
               [this] { ShowSnippetsStore(m_preferences, &m_notifications).toggle(); });
        toggle(QStringLiteral("Show Version Number"), m_showVersionNumber, [this] {
            VersionVisibilityStore(m_preferences, &m_notifications).save(!m_showVersionNumber);
        });
        toggle(QStringLiteral("Show Tray Icon"), m_showMenuBarIcon, [this] {
            MenuBarIconVisibilityStore(m_preferences, &m_notifications).save(!m_showMenuBarIcon);
        });
        menu->addSeparator();
        connect(menu->addAction(QStringLiteral("Quit")), &QAction::triggered, qApp,
                &QCoreApplication::quit);
    });
    return menu;
}

} // namespace trovi
