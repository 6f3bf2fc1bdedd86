#pragma once
// The global hotkey on X11: a passive key grab on the root window for every
// combination of the lock modifiers (Caps Lock, Num Lock), on a connection of
// its own so it works whatever Qt's platform plugin is. The stored macOS key
// codes map to X keysyms; a shortcut's character is looked up on the current
// XKB layout and grabbed again when the layout changes. Outside an X11
// session (Wayland, no display) grabbing reports the second-launch route.

#include "launcher/session/hotkey/GlobalHotKeyManager.h"

#include <QObject>

#include <memory>

namespace trovi {

class X11HotKeyBackend final : public QObject, public HotKeyBackend {
    Q_OBJECT
public:
    // Connects to $DISPLAY unless the session is Wayland.
    explicit X11HotKeyBackend(QObject* parent = nullptr);
    ~X11HotKeyBackend() override;

    bool isAvailable() const;
    HotKeyRegistration grab(const HotKeySettings& settings) override;
    void release() override;
    void activateWindow(quintptr windowID) override;

    static QString waylandMessage();
    // Wayland keeps keys from every program but the compositor.
    static bool isWaylandSession();

private:
    struct Connection;
    void readEvents();
    std::unique_ptr<Connection> m_x;
};

} // namespace trovi
