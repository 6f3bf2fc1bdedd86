#pragma once
// SystemClipboard: the desktop clipboard through QClipboard. It needs a
// QGuiApplication on a real display; the copied text lives as long as this
// process does, unless a clipboard manager takes it over. Use from the GUI thread.

#include "launcher/session/Clipboard.h"

#include <QtGlobal>

#include <optional>

namespace trovi {

class SystemClipboard : public Clipboard {
public:
    // False without a QGuiApplication, on the offscreen and minimal platforms
    // (whose clipboard no other application can see), or when the text did
    // not reach the clipboard.
    bool setText(const QString& text) override;

    // On X11, the window that holds the clipboard now (0 for none), asked of
    // the X server itself: Qt's own view can miss the loss of ownership when
    // the new owner's timestamp equals ours. Nothing off X11.
    static std::optional<quint32> clipboardOwnerWindow();
};

} // namespace trovi
