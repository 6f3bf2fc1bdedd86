// A whole HTTP answer from the Notion endpoint (or whatever answers in its
// place): status line, header fields, body.
#include "launcher/clients/notion/NotionResponse.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype end = raw.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = (end < 0 ? raw : raw.left(end)).split('\n');
    trovi::NotionReply reply;
    reply.status = lines.value(0).trimmed().split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            reply.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
    }
    if (end >= 0)
        reply.body = raw.mid(end + 4);
    const trovi::NotionSearchOutcome outcome = trovi::readSearchReply(reply);
    const bool redirect = reply.status >= 300 && reply.status < 400;
    // A redirect never yields pages and is always said.
    if (redirect && (!outcome.pages.isEmpty() || outcome.error.isEmpty()))
        __builtin_trap();
    if (outcome.pages.size() > trovi::kNotionMaxParsedResults)
        __builtin_trap();
    // What the server wrote reaches the terminal only as printable text.
    for (QChar c : outcome.error)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            __builtin_trap();
    return 0;
}
