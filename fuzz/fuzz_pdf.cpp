// PDF files from anywhere: whatever the bytes, extraction ends, within its limits, without a crash.
#include "ExtractorFuzzing.h"
#include "indexer/extractors/PdfExtractor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const trovi::indexer::PdfExtractor extractor;
    return trovi::fuzz::fuzzExtractor(extractor, data, size);
}
