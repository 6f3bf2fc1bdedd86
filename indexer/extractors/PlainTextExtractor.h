#pragma once
// Plain text and source code: a byte-order mark decides; otherwise valid
// UTF-8 is read as UTF-8 and anything else as Windows-1252 (Latin-1 where the
// codec is missing). Data with NUL bytes and no UTF-16 mark is binary.

#include "indexer/extractors/TextExtractor.h"

namespace trovi::indexer {

class PlainTextExtractor : public TextExtractor {
public:
    Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const override;

    // The decoding step on its own, shared with the markup extractors.
    static Result<QString> decode(QByteArrayView data);
};

} // namespace trovi::indexer
