#pragma once
// LauncherShell: what keeps the launcher resident. It owns the window's
// frame (a frameless tool window that stays on top, no taskbar entry), its
// two shapes and stored place, showing and hiding (Escape, activation, focus
// moving elsewhere, the hotkey, a second launch), the tray item and the
// global hotkey's wiring. The window's contents are the launcher view's.

#include "launcher/session/hotkey/GlobalHotKeyManager.h"
#include "launcher/session/window/WindowGeometry.h"
#include "launcher/session/window/WindowSnapping.h"
#include "launcher/settings/NotificationCenter.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QTimer;
class QSystemTrayIcon;
class QWidget;

namespace trovi {

class PreferenceStore;
class SnapGridOverlay;

struct LauncherShellHooks {
    // Each runs once after the window is up; empty ones are skipped.
    std::function<void()> prewarmTranslation;
    std::function<void()> reconcileRunAtLogin;
    // True when the first-run onboarding should be shown instead of the window.
    std::function<bool()> needsOnboarding;
    std::function<void()> showOnboarding;
    std::function<void()> showSettings;
};

class LauncherShell : public QObject {
    Q_OBJECT
public:
    // `hotKeyBackend` may be null (no global keys at all).
    LauncherShell(QWidget* window, PreferenceStore& preferences, NotificationCenter& notifications,
                  HotKeyBackend* hotKeyBackend, QString versionText, LauncherShellHooks hooks = {});
    ~LauncherShell() override;

    // Hooks that need the shell itself; set before start().
    void setHooks(LauncherShellHooks hooks) { m_hooks = std::move(hooks); }

    // Start-up: frame, stored geometry, observers, tray, hotkey; then the
    // window is shown unless `startHidden`.
    void start(bool startHidden);

    void showWindow();
    void hideWindow();
    void toggleWindow();
    void showSettingsWindow();
    void updateResultsVisibility(bool hasResults);

    bool isShowingResults() const { return m_showingResults; }
    const HotKeyRegistration& lastHotKeyRegistration() const { return m_lastRegistration; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyInitialGeometry();
    void resizeWindow(double height);
    void clampIntoScreen();
    void saveSize();
    QRectF preferredAvailableFrame() const;
    void reloadGlobalHotKey();
    void updateTrayIcon();
    QMenu* buildTrayMenu();
    bool beginWindowDrag(const QPoint& position, const QPointF& globalPosition);
    void dragWindowTo(const QPointF& globalPosition);
    void endWindowDrag();
    void hideSnapOverlay();

    QPointer<QWidget> m_window;
    PreferenceStore& m_preferences;
    NotificationCenter& m_notifications;
    QString m_versionText;
    LauncherShellHooks m_hooks;
    WindowSizeStore m_sizeStore;
    WindowPositionStore m_positionStore;
    std::unique_ptr<GlobalHotKeyManager> m_hotKeyManager;
    HotKeyRegistration m_lastRegistration{true, {}};
    QSystemTrayIcon* m_tray = nullptr;
    // Focus can leave for a moment (a key grab, the tray menu); only a loss
    // that lasts hides the window.
    QTimer* m_focusLossTimer = nullptr;
    std::vector<NotificationToken> m_observers;

    // Our own drag, so each step can snap; where the compositor places
    // windows (Wayland) it moves the window itself and nothing snaps.
    struct WindowDrag {
        bool pressed = false;
        bool moving = false;
        QPointF startPointer;
        QPointF startOrigin;
    } m_drag;
    WindowDragSnapper m_snapper;
    std::unique_ptr<SnapGridOverlay> m_snapOverlay;
    bool m_snapToGrid = true;

    bool m_showingResults = false;
    double m_lastExpandedHeight = launcherGeometry::defaultWindowSize.height();
    bool m_resizingProgrammatically = false;
    bool m_showMenuBarIcon = true;
    bool m_showVersionNumber = true;
};

} // namespace trovi
