#include "indexer/extractors/OfficeExtractor.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zip.h>

#include <memory>
#include <vector>

namespace trovi::indexer {

namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

// The parts that hold a document's text, in reading order.
bool isTextPart(const QString& name) {
    static const QRegularExpression parts(QStringLiteral(
        R"(^(content\.xml|meta\.xml|word/(document|footnotes|endnotes)\.xml|)"
        R"(xl/sharedStrings\.xml|ppt/slides/slide\d+\.xml|ppt/notesSlides/notesSlide\d+\.xml|)"
        R"(docProps/core\.xml)$)"));
    return parts.match(name).hasMatch();
}

// Elements after which words must not run together.
bool endsWords(QStringView localName) {
    static const QStringList names{
        QStringLiteral("p"),          QStringLiteral("h"),          QStringLiteral("tab"),
        QStringLiteral("br"),         QStringLiteral("s"),          QStringLiteral("si"),
        QStringLiteral("table-cell"), QStringLiteral("line-break"), QStringLiteral("title"),
        QStringLiteral("subject"),    QStringLiteral("keyword"),    QStringLiteral("description"),
        QStringLiteral("creator")};
    return names.contains(localName);
}

// Streams one part through the XML reader. An error names what went wrong.
std::optional<QString> readPart(zip_t* archive, zip_int64_t index, const ExtractionLimits& limits,
                                QString& out) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0)
        return QStringLiteral("unreadable zip entry");
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(limits.maxInflatedBytes))
        return QStringLiteral("a part inflates to more than %1 MiB")
            .arg(limits.maxInflatedBytes >> 20);
    std::unique_ptr<zip_file_t, ZipFileCloser> file(
        zip_fopen_index(archive, zip_uint64_t(index), 0));
    if (!file)
        return QStringLiteral("unreadable zip entry");

    QXmlStreamReader xml;
    std::vector<char> buffer(64 * 1024);
    std::int64_t inflated = 0;
    bool needSpace = false;
    bool full = false;
    while (!full) {
        // The declared size can lie; the count of bytes really inflated cannot.
        const zip_int64_t got = zip_fread(file.get(), buffer.data(), buffer.size());
        if (got < 0)
            return QStringLiteral("corrupt zip entry");
        inflated += got;
        if (inflated > limits.maxInflatedBytes)
            return QStringLiteral("a part inflates to more than %1 MiB")
                .arg(limits.maxInflatedBytes >> 20);
        if (got > 0)
            xml.addData(QByteArray(buffer.data(), qsizetype(got)));
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::Characters && !xml.isWhitespace()) {
                if (needSpace && !out.isEmpty())
                    out += u' ';
                needSpace = false;
                if (!appendBounded(out, xml.text(), limits)) {
                    full = true;
                    break;
                }
            } else if (token == QXmlStreamReader::EndElement && endsWords(xml.name())) {
                needSpace = true;
            } else if (token == QXmlStreamReader::StartElement && endsWords(xml.name())) {
                needSpace = true;
            }
        }
        if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            return QStringLiteral("malformed XML: ") + xml.errorString();
        if (got == 0 || limits.deadline.hasExpired())
            break;
    }
    if (!out.isEmpty() && !out.endsWith(u' '))
        out += u' ';
    return std::nullopt;
}

} // namespace

Result<QString> OfficeExtractor::extract(QByteArrayView data,
                                         const ExtractionLimits& limits) const {
    zip_error_t error;
    zip_error_init(&error);
    // The buffer is only read; libzip does not free it (freep = 0).
    zip_source_t* source =
        zip_source_buffer_create(data.data(), zip_uint64_t(data.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return Error{QStringLiteral("not a zip archive")};
    }
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        const QString reason = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return Error{QStringLiteral("not a zip archive (") + reason + u')'};
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    // Slides are numbered; list them in number order, not name order.
    std::vector<std::pair<QString, zip_int64_t>> parts;
    for (zip_int64_t i = 0; i < count && i < 100000; ++i) {
        const char* name = zip_get_name(archive.get(), zip_uint64_t(i), 0);
        if (name && isTextPart(QString::fromUtf8(name)))
            parts.emplace_back(QString::fromUtf8(name), i);
    }
    if (parts.empty())
        return Error{QStringLiteral("no document text in the archive")};
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
        return a.first.size() != b.first.size() ? a.first.size() < b.first.size()
                                                : a.first < b.first;
    });

    QString out;
    for (const auto& [name, index] : parts) {
        if (out.size() >= limits.maxTextCharacters || limits.deadline.hasExpired())
            break;
        if (const auto failure = readPart(archive.get(), index, limits, out))
            return Error{name + QStringLiteral(": ") + *failure};
    }
    return out.trimmed();
}

} // namespace trovi::indexer
