// Office documents (zip archives of XML) from anywhere: whatever the bytes, extraction ends, within
// its limits, without a crash.
#include "indexer/extractors/OfficeExtractor.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const trovi::indexer::OfficeExtractor extractor;
    trovi::indexer::ExtractionLimits limits;
    limits.maxTextCharacters = 64 * 1024;
    limits.maxInflatedBytes = 8 << 20;
    limits.deadline = QDeadlineTimer(2000);
    const auto text = extractor.extract(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), limits);
    if (text.ok() && text.value().size() > limits.maxTextCharacters)
        __builtin_trap(); // the text limit holds
    return 0;
}
