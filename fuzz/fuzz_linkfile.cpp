// Link files (.url text, .webloc property lists) sit in the user's folders;
// the first byte picks the kind, the rest is the file.
#include "launcher/engine/sources/paths/ShortcutUsageKey.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QString name = data[0] & 1 ? QStringLiteral("a.webloc") : QStringLiteral("a.url");
    const QByteArray contents(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (const auto key = trovi::shortcutUsageKeyFromContents(name, contents))
        if (key->isEmpty())
            __builtin_trap(); // an empty address is no key
    return 0;
}
