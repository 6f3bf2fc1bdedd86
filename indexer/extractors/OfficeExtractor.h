#pragma once
// OpenDocument (.odt .ods .odp) and Office Open XML (.docx .xlsx .pptx): the
// text of their XML parts, read from the zip with libzip and parsed as a
// stream, so neither a part nor the document is ever held whole. A part that
// inflates past the limit (a zip bomb) fails the file.

#include "indexer/extractors/TextExtractor.h"

namespace trovi::indexer {

class OfficeExtractor : public TextExtractor {
public:
    Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const override;
};

} // namespace trovi::indexer
