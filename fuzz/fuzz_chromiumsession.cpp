// A Chromium-family session log is written by another program and read while
// it is being appended to: sizes, ids and strings may be anything.
#include "launcher/engine/sources/browser/ChromiumSession.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto tabs = trovi::parseChromiumSession(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (tabs.size() > trovi::session_limits::maxTabs)
        __builtin_trap();
    for (const trovi::BrowserSessionTab& tab : tabs)
        if (tab.windowIndex < 1 || tab.tabIndex < 1)
            __builtin_trap(); // every tab has a place to be opened from
    return 0;
}
