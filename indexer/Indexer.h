#pragma once
// One indexing pass: walk the roots, compare with the index, read only files
// whose size or modification time changed, follow renames, drop files that
// are gone. Texts are extracted in parallel and written in short
// transactions, so a launcher writing an open count never waits long.

#include "indexer/DocumentWalker.h"
#include "indexer/IndexDatabase.h"
#include "indexer/extractors/ExtractorRegistry.h"

#include <QStringList>

#include <functional>

namespace trovi::indexer {

struct IndexSummary {
    int files = 0;    // regular files under the roots
    int added = 0;    // new files read
    int updated = 0;  // changed files read again
    int moved = 0;    // renamed or moved, not read again
    int retagged = 0; // only tags changed
    int removed = 0;  // gone from disk
    int nameOnly = 0; // unreadable, too large or failing: indexed by name
    int unchanged = 0;
};

struct IndexOptions {
    QStringList roots;
    std::int64_t maxFileBytes = 64ll << 20;
    int extractionMilliseconds = 10000;
    std::function<std::int64_t()> now; // seconds since the epoch, for indexed_at
};

class Indexer {
public:
    using Reporter = std::function<void(const QString& line)>;
    using Progress = std::function<void(int done, int total)>;

    Indexer(IndexDatabase& database, const ExtractorRegistry& extractors, IndexOptions options,
            Reporter reporter);

    Result<IndexSummary> run(const Progress& progress = {});
    // Folders seen by the last run, for the watcher.
    const QList<QByteArray>& folders() const { return m_folders; }

    // The freedesktop tags of a file (user.xdg.tags, comma-separated).
    static QStringList tagsOf(const QByteArray& nativePath);

private:
    struct Extracted {
        QString content;
        QStringList tags;
        std::optional<QString> failure;
    };
    Extracted extract(const FoundFile& file) const;

    IndexDatabase& m_database;
    const ExtractorRegistry& m_extractors;
    IndexOptions m_options;
    Reporter m_reporter;
    QList<QByteArray> m_folders;
};

} // namespace trovi::indexer
