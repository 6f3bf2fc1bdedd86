#pragma once
// Lists the files under the index roots without reading them: regular files
// only, hidden entries and the usual build and cache folders left out, links
// followed only to files inside the roots (a linked folder is walked under its
// real place, once).

#include "indexer/IndexDatabase.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace trovi::indexer {

struct FoundFile {
    QString directory; // as the launcher shows it (undecodable bytes escaped)
    QString filename;
    QByteArray nativePath; // the real file to read: a link's target
    FileStamp stamp;
};

class DocumentWalker {
public:
    using Reporter = std::function<void(const QString& line)>;

    // Roots that do not exist are ignored; a root inside another is walked once.
    DocumentWalker(const QStringList& roots, Reporter reporter);

    std::vector<FoundFile> walk() const;
    // Every folder walked by the last walk(), for the watcher.
    const QList<QByteArray>& folders() const { return m_folders; }

    // Names of folders never walked (besides hidden ones).
    static bool isSkippedFolder(QByteArrayView name);

private:
    void walkFolder(const QByteArray& folder, std::vector<FoundFile>& out, int depth) const;
    bool insideRoots(const QByteArray& realPath) const;

    QList<QByteArray> m_roots; // real paths
    Reporter m_reporter;
    mutable QList<QByteArray> m_folders;
};

} // namespace trovi::indexer
