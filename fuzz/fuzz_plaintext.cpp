// Text files of any encoding, or none: whatever the bytes, extraction ends, within its limits,
// without a crash.
#include "ExtractorFuzzing.h"
#include "indexer/extractors/PlainTextExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const trovi::indexer::PlainTextExtractor extractor;
    return trovi::fuzz::fuzzExtractor(extractor, data, size);
}
