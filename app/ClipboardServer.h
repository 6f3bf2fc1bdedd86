#pragma once
// Copying from a short-lived command: on X11 the copied text lives only as
// long as the process that owns the clipboard, so the text is handed to a
// detached `trovi` that owns it until another application copies something.

#include "launcher/session/Clipboard.h"

namespace trovi::app {

class ClipboardServer final : public Clipboard {
public:
    // Starts the detached owner; false without a display or when it cannot start.
    bool setText(const QString& text) override;
};

// The hidden `trovi --serve-clipboard TEXT` entry point; returns the exit status.
int serveClipboard(int argc, char** argv, const QString& text);

inline constexpr const char* kServeClipboardOption = "--serve-clipboard";

} // namespace trovi::app
