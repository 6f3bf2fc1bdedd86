#include "launcher/engine/sources/browser/ChromiumBookmarks.h"

#include "launcher/core/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QUrl>

namespace trovi {

namespace {

constexpr int kMaxDepth = 5; // items this deep are neither taken nor entered

// `depth` is the folder's; its entries lie one deeper.
void findBookmarkFiles(const QString& folder, int depth, QSet<QString>& seen, QStringList& files) {
    if (depth + 1 >= kMaxDepth)
        return;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir()) {
            // Symbolic links to folders could lead anywhere, even in circles.
            if (!entry.isSymLink())
                findBookmarkFiles(entry.filePath(), depth + 1, seen, files);
            continue;
        }
        if (entry.fileName() != u"Bookmarks" || !entry.exists())
            continue;
        const QString key = entry.filePath().toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        files.append(entry.filePath());
    }
}

} // namespace

QStringList discoverChromiumBookmarkFiles(const QString& userDataRoot) {
    const QFileInfo root(userDataRoot);
    if (!root.isDir())
        return {};
    QSet<QString> seen;
    QStringList files;
    findBookmarkFiles(root.filePath(), 0, seen, files);
    return files;
}

QString chromiumBookmarkRootLabel(const QString& rootKey, const QJsonObject& node) {
    const QString name = node.value(QStringLiteral("name")).toString().trimmed();
    if (!name.isEmpty())
        return name;
    const QString key = rootKey.toLower();
    if (key == u"bookmark_bar")
        return QStringLiteral("Bookmarks Bar");
    if (key == u"other")
        return QStringLiteral("Other Bookmarks");
    if (key == u"synced")
        return QStringLiteral("Synced");
    return {};
}

QStringList bookmarkFolderPathComponents(const QStringList& current, const QString& name) {
    if (name.isEmpty() ||
        (!current.isEmpty() && current.last().compare(name, Qt::CaseInsensitive) == 0))
        return current;
    return current + QStringList{name};
}

std::optional<BrowserBookmarkShortcut> makeBrowserBookmark(const QString& browserName,
                                                           const QString& name,
                                                           const QString& urlText,
                                                           const QStringList& folderPath) {
    const QUrl url(urlText);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https"))
        return std::nullopt;
    const QString host = url.host(QUrl::FullyDecoded);
    return BrowserBookmarkShortcut{browserName, name.isEmpty() ? host : name, urlText, host,
                                   folderPath.join(QStringLiteral(" / "))};
}

void collectChromiumBookmarks(const QJsonObject& node, const QString& browserName,
                              const QStringList& folderPathComponents,
                              QList<BrowserBookmarkShortcut>& results) {
    const QString type = node.value(QStringLiteral("type")).toString().toLower();
    const QString name = node.value(QStringLiteral("name")).toString().trimmed();
    if (type == u"url") {
        if (auto bookmark = makeBrowserBookmark(
                browserName, name, node.value(QStringLiteral("url")).toString().trimmed(),
                folderPathComponents))
            results.append(std::move(*bookmark));
        return;
    }
    const QJsonValue children = node.value(QStringLiteral("children"));
    if (!children.isArray())
        return;
    const QStringList components = bookmarkFolderPathComponents(folderPathComponents, name);
    for (const QJsonValue& child : children.toArray())
        if (child.isObject())
            collectChromiumBookmarks(child.toObject(), browserName, components, results);
}

QList<BrowserBookmarkShortcut> parseChromiumBookmarks(const QString& filePath,
                                                      const QString& browserName) {
    const std::optional<QByteArray> contents = readRegularFile(filePath, file_caps::bookmarkFile);
    if (!contents)
        return {};
    return parseChromiumBookmarkContents(*contents, browserName);
}

QList<BrowserBookmarkShortcut> parseChromiumBookmarkContents(const QByteArray& contents,
                                                             const QString& browserName) {
    const QJsonDocument document = QJsonDocument::fromJson(contents);
    const QJsonValue roots = document.object().value(QStringLiteral("roots"));
    if (!document.isObject() || !roots.isObject())
        return {};
    QList<BrowserBookmarkShortcut> results;
    const QJsonObject rootObject = roots.toObject();
    for (auto it = rootObject.constBegin(); it != rootObject.constEnd(); ++it) {
        if (!it.value().isObject())
            continue;
        const QJsonObject node = it.value().toObject();
        const QString label = chromiumBookmarkRootLabel(it.key(), node);
        collectChromiumBookmarks(node, browserName,
                                 label.isEmpty() ? QStringList{} : QStringList{label}, results);
    }
    return results;
}

} // namespace trovi
