#pragma once
// HTML: the text a browser would show, without tags, scripts, styles or
// comments; character references decoded; runs of white space folded.

#include "indexer/extractors/TextExtractor.h"

namespace trovi::indexer {

class HtmlExtractor : public TextExtractor {
public:
    Result<QString> extract(QByteArrayView data, const ExtractionLimits& limits) const override;

    // Markup already decoded to text; Markdown's inline HTML goes through here.
    static QString textOf(QStringView html, const ExtractionLimits& limits);
};

} // namespace trovi::indexer
