// Markdown files as people write them: whatever the bytes, extraction ends, within its limits,
// without a crash.
#include "ExtractorFuzzing.h"
#include "indexer/extractors/MarkdownExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const trovi::indexer::MarkdownExtractor extractor;
    return trovi::fuzz::fuzzExtractor(extractor, data, size);
}
