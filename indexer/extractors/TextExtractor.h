#pragma once
// One interface for every document format: bytes in, plain text out, bounded
// in the text it returns and the time it spends. A failure is an error value
// with a readable reason; the file is then indexed by its name only.

#include "db/Result.h"

#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>

#include <cstdint>

namespace trovi::indexer {

struct ExtractionLimits {
    // Text kept per document; the rest is not indexed.
    qsizetype maxTextCharacters = 1 << 20;
    // Bytes a compressed part may inflate to before the file counts as hostile.
    std::int64_t maxInflatedBytes = 64ll << 20;
    // Work stops (with the text found so far) when this expires.
    QDeadlineTimer deadline = QDeadlineTimer(10000);
};

class TextExtractor {
public:
    virtual ~TextExtractor() = default;
    virtual Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const = 0;
};

// Appends `text` to `out` without going past the limit; false once full.
inline bool appendBounded(QString& out, QStringView text, const ExtractionLimits& limits) {
    const qsizetype room = limits.maxTextCharacters - out.size();
    if (room <= 0)
        return false;
    out += text.left(room);
    return text.size() <= room;
}

} // namespace trovi::indexer
