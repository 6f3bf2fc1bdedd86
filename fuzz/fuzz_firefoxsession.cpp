// Firefox's running-session file: the LZ4 block and the size it claims are
// checked against each other, and the JSON inside may be any shape. The input
// is read as a whole file, and its tail also as the JSON itself.
#include "launcher/engine/sources/browser/FirefoxSession.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    // A small bound, so that a claimed size never costs the fuzzer memory.
    if (const auto json = trovi::decompressMozLz4(input, 1 << 20); json && json->size() > 1 << 20)
        __builtin_trap();
    for (const auto& tabs :
         {trovi::parseFirefoxSession(input), trovi::parseFirefoxSessionJson(input.toByteArray())})
        for (const trovi::BrowserSessionTab& tab : tabs)
            if (tab.windowIndex < 1 || tab.tabIndex < 1)
                __builtin_trap();
    return 0;
}
