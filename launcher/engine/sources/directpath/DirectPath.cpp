#include "launcher/engine/sources/directpath/DirectPath.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace trovi {

namespace {

bool isQuotedWith(const QString& text, QChar quote) {
    return text.startsWith(quote) && text.endsWith(quote);
}

} // namespace

std::optional<QString> resolveDirectPath(const QString& text, const QString& homeDirectory) {
    QString path = text.trimmed();
    if (path.isEmpty())
        return std::nullopt;

    // A lone quote character counts as both ends and leaves nothing.
    if (isQuotedWith(path, u'"') || isQuotedWith(path, u'\''))
        path = path.size() >= 2 ? path.mid(1, path.size() - 2) : QString();

    if (path.startsWith(QStringLiteral("file://"))) {
        const QUrl url(path);
        if (url.isValid() && url.isLocalFile())
            path = url.path(QUrl::FullyDecoded);
    }

    if (path == u'~' || path.startsWith(QStringLiteral("~/")))
        path = homeDirectory + path.mid(1);

    if (!path.startsWith(u'/'))
        return std::nullopt;
    return QDir::cleanPath(path);
}

std::optional<SearchResult> directPathResult(const QString& query, const QString& homeDirectory,
                                             const UsageKeyProvider& usageKeyFor) {
    const auto path = resolveDirectPath(query, homeDirectory);
    if (!path)
        return std::nullopt;
    const QFileInfo info(*path);
    if (!info.exists())
        return std::nullopt;

    const bool isRoot = *path == u'/';
    const QString name = isRoot ? *path : info.fileName();

    SearchResult result;
    result.id = stableNegativeID(QStringLiteral("direct-path:") + *path);
    result.filename = name;
    result.directory = isRoot ? *path : info.path();
    if (name.toLower().endsWith(QStringLiteral(".app")))
        result.kind = SearchResultKind::app;
    else if (info.isDir())
        result.kind = SearchResultKind::folder;
    else
        result.kind = SearchResultKind::file;
    result.isDirectPathMatch = true;
    if (usageKeyFor)
        result.usageKey = usageKeyFor(*path, name);
    return result;
}

} // namespace trovi
