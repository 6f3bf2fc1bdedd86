// Desktop entries are read from every application folder, and their Exec
// lines become the argument lists of started programs.
#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/DesktopEntryExec.h"

#include <QUrl>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto entry = trovi::platform::parseDesktopEntry(content, "/apps/x.desktop", "de_CH");
    if (!entry)
        return 0;
    const QList<QUrl> urls{QUrl::fromLocalFile("/home/u/a b.txt"), QUrl("https://example.org/")};
    if (const auto arguments = trovi::platform::desktopEntryCommandLine(*entry, urls))
        if (arguments->isEmpty() || arguments->first().isEmpty())
            __builtin_trap(); // a command always names a program
    return 0;
}
