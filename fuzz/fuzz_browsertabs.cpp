// Tab lists are the output of a script that runs inside the browser: titles
// and addresses are whatever the open pages chose.
#include "launcher/engine/sources/browser/BrowserTabs.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString output = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const trovi::BrowserTabShortcut& tab : trovi::parseBrowserTabs(
             output, QStringLiteral("Edge"), QStringLiteral("com.microsoft.edgemac")))
        if (tab.windowIndex < 1 || tab.tabIndex < 1 || !QUrl(tab.urlString).isValid())
            __builtin_trap(); // only tabs that can be focused and opened
    return 0;
}
