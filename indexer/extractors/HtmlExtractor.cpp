#include "indexer/extractors/HtmlExtractor.h"

#include "indexer/extractors/PlainTextExtractor.h"

#include <QHash>

namespace trovi::indexer {

namespace {

QString entity(QStringView name) {
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return QString();
        const char32_t scalar = code;
        return QString::fromUcs4(&scalar, 1);
    }
    static const QHash<QString, QString> named{
        {"amp", "&"},         {"lt", "<"},         {"gt", ">"},        {"quot", "\""},
        {"apos", "'"},        {"nbsp", " "},       {"copy", "\u00A9"}, {"eacute", "\u00E9"},
        {"hellip", "\u2026"}, {"mdash", "\u2014"}, {"ndash", "\u2013"}};
    return named.value(name.toString());
}

bool startsWithTag(QStringView html, qsizetype at, QStringView tag) {
    if (!html.sliced(at).startsWith(tag, Qt::CaseInsensitive))
        return false;
    const qsizetype after = at + tag.size();
    return after >= html.size() || !html[after].isLetterOrNumber();
}

} // namespace

QString HtmlExtractor::textOf(QStringView html, const ExtractionLimits& limits) {
    QString out;
    out.reserve(std::min(html.size(), limits.maxTextCharacters));
    bool pendingSpace = false;
    auto put = [&](QStringView text) {
        for (const QChar c : text) {
            if (c.isSpace()) {
                pendingSpace = !out.isEmpty();
                continue;
            }
            if (pendingSpace)
                out += u' ';
            pendingSpace = false;
            out += c;
        }
    };
    qsizetype i = 0;
    while (i < html.size() && out.size() < limits.maxTextCharacters) {
        if (limits.deadline.hasExpired())
            break;
        const QChar c = html[i];
        const bool opensTag =
            c == u'<' && i + 1 < html.size() &&
            (html[i + 1].isLetter() || html[i + 1] == u'/' || html[i + 1] == u'!');
        if (opensTag) {
            if (html.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = html.indexOf(u"-->", i + 4);
                i = end < 0 ? html.size() : end + 3;
                continue;
            }
            // Script and style bodies are code, not text.
            for (QStringView raw : {QStringView(u"script"), QStringView(u"style")}) {
                if (startsWithTag(html, i + 1, raw)) {
                    const qsizetype close = html.indexOf(
                        QString(QStringLiteral("</") + raw.toString()), i, Qt::CaseInsensitive);
                    i = close < 0 ? html.size() : close;
                    break;
                }
            }
            const qsizetype end = html.indexOf(u'>', i + 1);
            i = end < 0 ? html.size() : end + 1;
            pendingSpace = !out.isEmpty(); // tags separate words (<td>a</td><td>b</td>)
            continue;
        }
        if (c == u'&') {
            const qsizetype semicolon = html.indexOf(u';', i + 1);
            if (semicolon > i + 1 && semicolon - i <= 10) {
                const QString decoded = entity(html.sliced(i + 1, semicolon - i - 1));
                if (!decoded.isEmpty()) {
                    put(decoded);
                    i = semicolon + 1;
                    continue;
                }
            }
        }
        put(html.sliced(i, 1));
        ++i;
    }
    out.truncate(limits.maxTextCharacters);
    return out;
}

Result<QString> HtmlExtractor::extract(QByteArrayView data, const ExtractionLimits& limits) const {
    auto text = PlainTextExtractor::decode(data);
    if (!text)
        return text;
    return textOf(text.value(), limits);
}

} // namespace trovi::indexer
