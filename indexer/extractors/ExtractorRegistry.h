#pragma once
// Which extractor reads which file, by lower-case suffix. Files with other
// suffixes are indexed by name only.

#include "indexer/extractors/TextExtractor.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace trovi::indexer {

class ExtractorRegistry {
public:
    ExtractorRegistry();
    ExtractorRegistry(const ExtractorRegistry&) = delete;
    ExtractorRegistry& operator=(const ExtractorRegistry&) = delete;

    // Null for a suffix no extractor reads.
    const TextExtractor* forFileName(const QString& fileName) const;

private:
    std::vector<std::unique_ptr<TextExtractor>> m_extractors;
    QHash<QString, const TextExtractor*> m_bySuffix;
};

} // namespace trovi::indexer
