#pragma once
// The open tabs in a Chromium-family browser's session file
// (`Sessions/Session_*`): a command log that the browser appends to while it
// runs. It starts with "SNSS" and a version; each record is a 16-bit size, a
// command byte and the command's payload, fixed structs or a pickle (a 32-bit
// payload size, then 4-byte aligned fields). The log is replayed the way the
// browser restores it, keeping only the page each tab shows.

#include "launcher/engine/sources/browser/BrowserSessionTab.h"

#include <QByteArrayView>

namespace trovi {

// Windows in the order they were opened, tabs in their visual order. A record
// cut short (the browser is writing) ends the log; what came before counts.
// Encrypted logs and anything else unreadable give nothing.
QList<BrowserSessionTab> parseChromiumSession(QByteArrayView data);

} // namespace trovi
