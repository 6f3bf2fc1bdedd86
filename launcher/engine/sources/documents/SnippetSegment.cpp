#include "launcher/engine/sources/documents/SnippetSegment.h"

namespace trovi {

QList<SnippetSegment> parseSnippetSegments(const QString& snippet) {
    static const QString open = QStringLiteral("<mark>");
    static const QString close = QStringLiteral("</mark>");

    QString text = snippet;
    text.replace(u'\n', u' ');

    QList<SnippetSegment> segments;
    const QStringList pieces = text.split(open);
    if (!pieces.first().isEmpty())
        segments.append({pieces.first(), false});
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        QStringList parts = pieces[i].split(close);
        if (!parts.first().isEmpty())
            segments.append({parts.first(), true});
        if (parts.size() > 1) {
            parts.removeFirst();
            const QString rest = parts.join(close);
            if (!rest.isEmpty())
                segments.append({rest, false});
        }
    }
    return segments;
}

} // namespace trovi
