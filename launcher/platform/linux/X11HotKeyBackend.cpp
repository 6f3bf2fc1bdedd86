#include "launcher/platform/linux/X11HotKeyBackend.h"

#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>
// xkb.h names a struct member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>

namespace trovi {

namespace {

constexpr quint16 kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr quint16 kLockMask = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
constexpr quint8 kBadAccess = 10;

// Level masks tried when a character is looked up: plain, Shift, AltGr, both.
constexpr std::array<quint16, 4> kLevelMasks{0, XCB_MOD_MASK_SHIFT, XCB_MOD_MASK_5,
                                             XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_5};

quint16 xModifiers(quint32 carbon) {
    quint16 mask = 0;
    if (carbon & carbonModifier::control)
        mask |= XCB_MOD_MASK_CONTROL;
    if (carbon & carbonModifier::shift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (carbon & carbonModifier::option)
        mask |= XCB_MOD_MASK_1; // Alt
    if (carbon & carbonModifier::command)
        mask |= XCB_MOD_MASK_4; // Super
    return mask;
}

bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland") ||
           (qEnvironmentVariableIsEmpty("DISPLAY") &&
            !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
}

} // namespace

struct X11HotKeyBackend::Connection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    int32_t deviceID = -1;
    quint8 xkbEventBase = 0;
    xkb_layout_index_t group = 0;
    QSocketNotifier* notifier = nullptr;

    // The current grab.
    xcb_keycode_t keycode = 0;
    quint16 modifiers = 0;
    bool grabbed = false;
    xcb_timestamp_t lastReleaseTime = 0;
    xcb_timestamp_t lastPressTime = XCB_CURRENT_TIME;
    xcb_atom_t activeWindowAtom = XCB_NONE;

    ~Connection() {
        if (keymap)
            xkb_keymap_unref(keymap);
        if (context)
            xkb_context_unref(context);
        if (connection)
            xcb_disconnect(connection);
    }

    void loadKeymap() {
        if (!context || deviceID < 0)
            return;
        xkb_keymap* fresh = xkb_x11_keymap_new_from_device(context, connection, deviceID,
                                                           XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (!fresh)
            return;
        if (keymap)
            xkb_keymap_unref(keymap);
        keymap = fresh;
        if (xkb_state* state = xkb_x11_state_new_from_device(keymap, connection, deviceID)) {
            group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
            xkb_state_unref(state);
        }
    }

    // The first answer of visit(code, layout) over the keys X can grab, each
    // with the layout the current group selects on it.
    template <typename Visit> auto findKey(const Visit& visit) -> decltype(visit(0, 0)) {
        if (!keymap)
            return std::nullopt;
        const xkb_keycode_t first = xkb_keymap_min_keycode(keymap);
        const xkb_keycode_t last = std::min<xkb_keycode_t>(xkb_keymap_max_keycode(keymap), 255);
        for (xkb_keycode_t code = first; code <= last; ++code) {
            const xkb_layout_index_t layouts = xkb_keymap_num_layouts_for_key(keymap, code);
            if (layouts == 0)
                continue;
            if (auto found = visit(code, group < layouts ? group : 0))
                return found;
        }
        return std::nullopt;
    }

    // The key (and the level's modifiers) that types `character` now.
    std::optional<std::pair<xcb_keycode_t, quint16>> lookupCharacter(const QString& character) {
        const auto wanted = normalizedHotKeyCharacter(character);
        if (!wanted)
            return std::nullopt;
        return findKey([&](xkb_keycode_t code, xkb_layout_index_t layout)
                           -> std::optional<std::pair<xcb_keycode_t, quint16>> {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, code, layout);
            for (xkb_level_index_t level = 0; level < levels && level < kLevelMasks.size();
                 ++level) {
                const xkb_keysym_t* syms = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(keymap, code, layout, level, &syms);
                for (int i = 0; i < count; ++i) {
                    const uint32_t scalar = xkb_keysym_to_utf32(syms[i]);
                    if (scalar == 0)
                        continue;
                    const char32_t text[] = {char32_t(scalar)};
                    if (normalizedHotKeyCharacter(QString::fromUcs4(text, 1)) == wanted)
                        return std::pair{xcb_keycode_t(code), kLevelMasks[level]};
                }
            }
            return std::nullopt;
        });
    }

    std::optional<xcb_keycode_t> lookupKeysym(quint32 keysym) {
        return findKey(
            [&](xkb_keycode_t code, xkb_layout_index_t layout) -> std::optional<xcb_keycode_t> {
                const xkb_keysym_t* syms = nullptr;
                const int count = xkb_keymap_key_get_syms_by_level(keymap, code, layout, 0, &syms);
                for (int i = 0; i < count; ++i)
                    if (syms[i] == keysym)
                        return xcb_keycode_t(code);
                return std::nullopt;
            });
    }

    void ungrab() {
        if (!grabbed)
            return;
        for (const quint16 lock : kLockVariants)
            xcb_ungrab_key(connection, keycode, root, quint16(modifiers | lock));
        xcb_flush(connection);
        grabbed = false;
    }
};

X11HotKeyBackend::X11HotKeyBackend(QObject* parent) : QObject(parent) {
    if (waylandSession() || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    auto x = std::make_unique<Connection>();
    int screenNumber = 0;
    x->connection = xcb_connect(nullptr, &screenNumber);
    if (!x->connection || xcb_connection_has_error(x->connection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x->connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return;
    x->root = it.data->root;

    quint8 eventBase = 0;
    if (xkb_x11_setup_xkb_extension(
            x->connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr)) {
        x->xkbEventBase = eventBase;
        x->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        x->deviceID = xkb_x11_get_core_keyboard_device_id(x->connection);
        // Layout switches and keymap reloads re-resolve a character shortcut.
        const quint16 events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                               XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        const quint16 mapParts =
            XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
            XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
            XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events_details_t details{};
        details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.affectState = XCB_XKB_STATE_PART_GROUP_LOCK;
        details.stateDetails = XCB_XKB_STATE_PART_GROUP_LOCK;
        xcb_xkb_select_events_aux(x->connection, xcb_xkb_id_t(x->deviceID), events, 0, 0, mapParts,
                                  mapParts, &details);
    }
    xcb_flush(x->connection);

    x->notifier =
        new QSocketNotifier(xcb_get_file_descriptor(x->connection), QSocketNotifier::Read, this);
    connect(x->notifier, &QSocketNotifier::activated, this, &X11HotKeyBackend::readEvents);
    m_x = std::move(x);
}

X11HotKeyBackend::~X11HotKeyBackend() {
    release();
}

bool X11HotKeyBackend::isAvailable() const {
    return m_x != nullptr;
}

bool X11HotKeyBackend::isWaylandSession() {
    return waylandSession();
}

QString X11HotKeyBackend::waylandMessage() {
    return QStringLiteral("Global hotkeys are not available on Wayland. Run 'trovi shortcut "
                          "install' to bind the command 'trovi' to it in your desktop's keyboard "
                          "settings: running it again shows or hides the launcher.");
}

HotKeyRegistration X11HotKeyBackend::grab(const HotKeySettings& settings) {
    release();
    if (!m_x) {
        if (waylandSession())
            return {false, waylandMessage()};
        return {false, QStringLiteral("Global hotkeys need an X11 display.")};
    }
    if (!m_x->keymap)
        m_x->loadKeymap(); // on first use: compiling it is the slow part of connecting
    std::optional<xcb_keycode_t> keycode;
    quint16 modifiers = xModifiers(settings.modifiers);
    if (settings.character) {
        if (const auto found = m_x->lookupCharacter(*settings.character)) {
            keycode = found->first;
            modifiers |= found->second;
        }
    }
    if (!keycode) {
        if (const auto info = keyCodeInfo(settings.keyCode))
            keycode = m_x->lookupKeysym(info->keysym);
    }
    if (!keycode)
        return {false, QStringLiteral("The key of %1 is not on the current keyboard layout.")
                           .arg(hotKeyDisplayString(settings))};

    QList<xcb_void_cookie_t> cookies;
    for (const quint16 lock : kLockVariants)
        cookies.append(xcb_grab_key_checked(m_x->connection, 1, m_x->root,
                                            quint16(modifiers | lock), *keycode,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool taken = false;
    bool failed = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(m_x->connection, cookie)) {
            (error->error_code == kBadAccess ? taken : failed) = true;
            std::free(error);
        }
    }
    m_x->keycode = *keycode;
    m_x->modifiers = modifiers;
    m_x->grabbed = true;
    // Replies may have queued events behind them.
    QTimer::singleShot(0, this, &X11HotKeyBackend::readEvents);
    if (taken || failed) {
        m_x->ungrab();
        return {false, taken ? QStringLiteral("%1 is already taken by another application.")
                                   .arg(hotKeyDisplayString(settings))
                             : QStringLiteral("The X server refused to grab %1.")
                                   .arg(hotKeyDisplayString(settings))};
    }
    return {true, {}};
}

void X11HotKeyBackend::release() {
    if (m_x)
        m_x->ungrab();
}

void X11HotKeyBackend::activateWindow(quintptr windowID) {
    if (!m_x || !windowID)
        return;
    xcb_connection_t* c = m_x->connection;
    if (m_x->activeWindowAtom == XCB_NONE) {
        const char name[] = "_NET_ACTIVE_WINDOW";
        if (auto* reply =
                xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr)) {
            m_x->activeWindowAtom = reply->atom;
            std::free(reply);
        }
    }
    // A window manager decides through _NET_ACTIVE_WINDOW; without one the
    // focus is set directly. Either way the key's timestamp is the authority.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(windowID);
    message.type = m_x->activeWindowAtom;
    message.data.data32[0] = 1; // from an application
    message.data.data32[1] = m_x->lastPressTime;
    xcb_send_event(c, 0, m_x->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, xcb_window_t(windowID), m_x->lastPressTime);
    xcb_flush(c);
}

void X11HotKeyBackend::readEvents() {
    if (!m_x)
        return;
    bool layoutChanged = false;
    bool hotKeyPressed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_x->connection)) {
        const quint8 type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
            const bool ours = m_x->grabbed && key->detail == m_x->keycode &&
                              quint16(key->state & ~kLockMask) == m_x->modifiers;
            if (ours && type == XCB_KEY_RELEASE)
                m_x->lastReleaseTime = key->time;
            // Auto-repeat arrives as release+press with one timestamp: one toggle per press.
            else if (ours && key->time != m_x->lastReleaseTime) {
                hotKeyPressed = true;
                m_x->lastPressTime = key->time;
            }
        } else if (m_x->xkbEventBase && type == m_x->xkbEventBase) {
            const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
            if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY) {
                m_x->loadKeymap();
                layoutChanged = true;
            } else if (xkbType == XCB_XKB_STATE_NOTIFY) {
                const auto* state = reinterpret_cast<xcb_xkb_state_notify_event_t*>(event);
                if (xkb_layout_index_t(state->group) != m_x->group) {
                    m_x->group = xkb_layout_index_t(state->group);
                    layoutChanged = true;
                }
            }
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_x->connection)) {
        m_x->notifier->setEnabled(false);
        return;
    }
    if (layoutChanged && this->layoutChanged)
        this->layoutChanged();
    if (hotKeyPressed && pressed)
        pressed();
}

} // namespace trovi
