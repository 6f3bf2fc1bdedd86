#include "indexer/extractors/MarkdownExtractor.h"

#include "indexer/extractors/HtmlExtractor.h"
#include "indexer/extractors/PlainTextExtractor.h"

#include <QRegularExpression>

namespace trovi::indexer {

Result<QString> MarkdownExtractor::extract(QByteArrayView data,
                                           const ExtractionLimits& limits) const {
    auto decoded = PlainTextExtractor().extract(data, limits);
    if (!decoded)
        return decoded;
    QString text = std::move(decoded.value());

    // Reference definitions ("[1]: https://…") carry only a target.
    static const QRegularExpression reference(QStringLiteral(R"(^ {0,3}\[[^\]\n]+\]:[^\n]*$)"),
                                              QRegularExpression::MultilineOption);
    // "![alt](src)" and "[text](target)" keep what is between the brackets.
    static const QRegularExpression link(QStringLiteral(R"(!?\[([^\]\n]*)\]\([^)\n]*\))"));
    // Line markers: headings, quotes, list bullets and numbers, rules.
    static const QRegularExpression marker(
        QStringLiteral(R"(^[ \t]*(?:#{1,6}[ \t]|>[ \t]?|[-*+][ \t]|\d{1,9}[.)][ \t]))"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression emphasis(QStringLiteral(R"([*_~`]{1,3})"));

    text.remove(reference);
    text.replace(link, QStringLiteral("\\1"));
    text.remove(marker);
    text.replace(emphasis, QStringLiteral(" "));
    return HtmlExtractor::textOf(text, limits);
}

} // namespace trovi::indexer
