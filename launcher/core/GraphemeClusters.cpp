#include "launcher/core/GraphemeClusters.h"

#include <QTextBoundaryFinder>

namespace trovi {

QStringList graphemeClusters(const QString& text) {
    QStringList clusters;
    if (text.isEmpty())
        return clusters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        clusters.append(text.mid(start, end - start));
        start = end;
    }
    return clusters;
}

static char32_t firstCodePoint(QStringView cluster) {
    if (cluster.isEmpty())
        return 0;
    const QChar first = cluster.front();
    if (first.isHighSurrogate() && cluster.size() > 1 && cluster[1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, cluster[1]);
    return first.unicode();
}

bool isLetterCluster(QStringView cluster) {
    return !cluster.isEmpty() && QChar::isLetter(firstCodePoint(cluster));
}

bool isNumericCluster(QStringView cluster) {
    return !cluster.isEmpty() && QChar::isNumber(firstCodePoint(cluster));
}

} // namespace trovi
