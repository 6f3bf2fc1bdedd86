#pragma once
// PDF through poppler-cpp: the text of each page in order, until the text or
// time limit is reached. Encrypted documents and broken files fail.

#include "indexer/extractors/TextExtractor.h"

namespace trovi::indexer {

class PdfExtractor : public TextExtractor {
public:
    PdfExtractor();
    Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const override;
};

} // namespace trovi::indexer
