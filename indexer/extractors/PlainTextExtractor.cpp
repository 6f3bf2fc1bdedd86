#include "indexer/extractors/PlainTextExtractor.h"

#include <QStringDecoder>

namespace trovi::indexer {

namespace {

bool startsWith(QByteArrayView data, std::initializer_list<unsigned char> bytes) {
    if (data.size() < qsizetype(bytes.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : bytes)
        if (uchar(data[i++]) != b)
            return false;
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView data) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(data);
}

} // namespace

Result<QString> PlainTextExtractor::decode(QByteArrayView data) {
    if (startsWith(data, {0xEF, 0xBB, 0xBF}))
        return decodeWith(QStringConverter::Utf8, data.sliced(3));
    if (startsWith(data, {0xFF, 0xFE}))
        return decodeWith(QStringConverter::Utf16LE, data.sliced(2));
    if (startsWith(data, {0xFE, 0xFF}))
        return decodeWith(QStringConverter::Utf16BE, data.sliced(2));
    if (data.contains('\0'))
        return Error{QStringLiteral("binary data")};

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    // Text saved by older Windows editors; Qt has the codec when built with ICU.
    QStringDecoder legacy("windows-1252", QStringConverter::Flag::Stateless);
    if (legacy.isValid())
        return QString(legacy.decode(data));
    return QString::fromLatin1(data);
}

Result<QString> PlainTextExtractor::extract(QByteArrayView data,
                                            const ExtractionLimits& limits) const {
    // Decoding a little more than the limit needs is cheap; bounding the input
    // keeps huge logs from costing memory. The cut backs off to a character
    // boundary so valid UTF-8 stays valid.
    qsizetype end = std::min<qsizetype>(data.size(), limits.maxTextCharacters * 4);
    if (end < data.size())
        while (end > 0 && (uchar(data[end]) & 0xC0) == 0x80)
            --end;
    auto text = decode(data.first(end));
    if (!text)
        return text;
    text.value().truncate(limits.maxTextCharacters);
    return text;
}

} // namespace trovi::indexer
