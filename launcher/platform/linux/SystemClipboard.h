#pragma once
// SystemClipboard: the desktop clipboard through QClipboard. It needs a
// QGuiApplication on a real display; the copied text lives as long as this
// process does, unless a clipboard manager takes it over. Use from the GUI thread.

#include "launcher/session/Clipboard.h"

namespace trovi {

class SystemClipboard : public Clipboard {
public:
    // False without a QGuiApplication, on the offscreen and minimal platforms
    // (whose clipboard no other application can see), or when the text did
    // not reach the clipboard.
    bool setText(const QString& text) override;
};

} // namespace trovi
