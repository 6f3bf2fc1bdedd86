#pragma once
// Clipboard: the system clipboard as activation needs it, plain text only.
// Implementations answer false when no clipboard is reachable, so callers can
// show the value instead of silently losing it.

#include <QString>

namespace trovi {

class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Replaces the clipboard's contents with text. False when no clipboard is
    // available to other applications.
    virtual bool setText(const QString& text) = 0;
};

} // namespace trovi
