#pragma once
// The body every extractor target shares: whatever the bytes, extraction ends,
// within its limits, without a crash.
#include "indexer/extractors/TextExtractor.h"

#include <cstddef>
#include <cstdint>

namespace trovi::fuzz {

inline int fuzzExtractor(const indexer::TextExtractor& extractor, const uint8_t* data,
                         size_t size) {
    indexer::ExtractionLimits limits;
    limits.maxTextCharacters = 64 * 1024;
    limits.maxInflatedBytes = 8 << 20;
    limits.deadline = QDeadlineTimer(2000);
    const auto text = extractor.extract(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), limits);
    if (text.ok() && text.value().size() > limits.maxTextCharacters)
        __builtin_trap(); // the text limit holds
    return 0;
}

} // namespace trovi::fuzz
