#pragma once
// Markdown: the words a reader sees. Heading, quote and list markers,
// emphasis, link targets and inline HTML tags are dropped; link and image
// texts and code are kept.

#include "indexer/extractors/TextExtractor.h"

namespace trovi::indexer {

class MarkdownExtractor : public TextExtractor {
public:
    Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const override;
};

} // namespace trovi::indexer
