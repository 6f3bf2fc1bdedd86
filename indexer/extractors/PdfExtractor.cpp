#include "indexer/extractors/PdfExtractor.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <limits>
#include <memory>

namespace trovi::indexer {

namespace {

// Poppler reports every oddity of a file on stderr; a broken file gets one
// line of our own instead.
void quiet(const std::string&, void*) {}

} // namespace

PdfExtractor::PdfExtractor() {
    poppler::set_debug_error_function(quiet, nullptr);
}

Result<QString> PdfExtractor::extract(QByteArrayView data, const ExtractionLimits& limits) const {
    if (data.size() > std::numeric_limits<int>::max())
        return Error{QStringLiteral("too large")};
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(data.data(), int(data.size())));
    if (!document)
        return Error{QStringLiteral("not a readable PDF")};
    if (document->is_locked())
        return Error{QStringLiteral("encrypted PDF")};

    const int pages = document->pages();
    if (pages <= 0)
        return Error{QStringLiteral("a PDF without pages (cut short?)")};
    QString out;
    for (int i = 0; i < pages; ++i) {
        if (limits.deadline.hasExpired())
            break;
        std::unique_ptr<poppler::page> page(document->create_page(i));
        if (!page)
            continue;
        const poppler::byte_array utf8 = page->text().to_utf8();
        const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
        if (!out.isEmpty())
            out += u' ';
        if (!appendBounded(out, text, limits))
            break;
    }
    return out.simplified();
}

} // namespace trovi::indexer
