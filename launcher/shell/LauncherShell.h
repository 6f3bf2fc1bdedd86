#pragma once
// LauncherShell: what keeps the launcher resident. It owns the window's
// frame (a frameless tool window that stays on top, no taskbar entry), its
// two shapes and stored place, showing and hiding (Escape, activation, focus
// moving elsewhere, the hotkey, a second launch). The tray item, the
// hotkey's wiring and mouse moves have their own classes; the window's
// contents are the launcher view's.

#include "launcher/session/hotkey/GlobalHotKeyManager.h"
#include "launcher/session/window/WindowGeometry.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/shell/LauncherHotKey.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QScreen;
class QTimer;

namespace trovi {

class LauncherTray;
class LauncherWindow;
class PreferenceStore;
class WindowDragController;

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
    LauncherShell(LauncherWindow* window, PreferenceStore& preferences,
                  NotificationCenter& notifications, HotKeyBackend* hotKeyBackend,
                  QString versionText, LauncherShellHooks hooks = {});
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
    const HotKeyRegistration& lastHotKeyRegistration() const { return m_hotKey.lastRegistration(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyInitialGeometry();
    void resizeWindow(double height);
    void clampIntoScreen();
    void watchScreen(QScreen* screen);
    void savePlacement();
    QRectF preferredAvailableFrame() const;

    QPointer<LauncherWindow> m_window;
    PreferenceStore& m_preferences;
    NotificationCenter& m_notifications;
    QString m_versionText;
    LauncherShellHooks m_hooks;
    WindowSizeStore m_sizeStore;
    WindowPositionStore m_positionStore;
    LauncherHotKey m_hotKey;
    LauncherTray* m_tray = nullptr;
    WindowDragController* m_mover = nullptr;
    // Focus can leave for a moment (a key grab, the tray menu); only a loss
    // that lasts hides the window.
    QTimer* m_focusLossTimer = nullptr;
    std::vector<NotificationToken> m_observers;

    bool m_showingResults = false;
    double m_lastExpandedHeight = launcherGeometry::defaultWindowSize.height();
    // Set while the shell itself moves or resizes the window, so the
    // handlers that store the person's size and place leave them alone.
    bool m_resizingProgrammatically = false;
};

} // namespace trovi
