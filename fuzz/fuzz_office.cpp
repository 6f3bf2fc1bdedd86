// Office documents (zip archives of XML) from anywhere: whatever the bytes, extraction ends, within
// its limits, without a crash.
#include "ExtractorFuzzing.h"
#include "indexer/extractors/OfficeExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const trovi::indexer::OfficeExtractor extractor;
    return trovi::fuzz::fuzzExtractor(extractor, data, size);
}
