// Snippets come from the document index, which another program writes.
#include "launcher/engine/sources/documents/SnippetSegment.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString snippet = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const trovi::SnippetSegment& segment : trovi::parseSnippetSegments(snippet))
        if (segment.text.isEmpty() || segment.text.contains(u'\n'))
            __builtin_trap(); // segments are never empty and never break a row
    return 0;
}
