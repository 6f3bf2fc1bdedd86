#include "indexer/Indexer.h"

#include <QtConcurrent/QtConcurrentMap>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDateTime>

namespace trovi::indexer {

namespace {

// Files per transaction: short enough that a launcher's open-count update
// waits milliseconds, long enough that commits do not dominate.
constexpr int kFilesPerTransaction = 64;

QString pathKey(const QString& directory, const QString& filename) {
    return directory + u'/' + filename;
}

// Reads a whole regular file, refusing anything that turned into something
// else (a FIFO, a device) since it was listed.
Result<QByteArray> readFile(const QByteArray& path, std::int64_t maxBytes) {
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Error{QString::fromLocal8Bit(strerror(errno))};
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{QStringLiteral("not a regular file")};
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return Error{QStringLiteral("larger than %1 MiB").arg(maxBytes >> 20)};
    }
    QByteArray data(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t got = ::read(fd, data.data() + done, size_t(data.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // shrank while we read: index what is there
        done += got;
    }
    ::close(fd);
    data.truncate(done);
    return data;
}

} // namespace

Indexer::Indexer(IndexDatabase& database, const ExtractorRegistry& extractors, IndexOptions options,
                 Reporter reporter)
    : m_database(database), m_extractors(extractors), m_options(std::move(options)),
      m_reporter(std::move(reporter)) {
    if (!m_options.now)
        m_options.now = [] { return QDateTime::currentSecsSinceEpoch(); };
}

QStringList Indexer::tagsOf(const QByteArray& nativePath) {
    char buffer[4096];
    const ssize_t size = getxattr(nativePath.constData(), "user.xdg.tags", buffer, sizeof buffer);
    if (size <= 0)
        return {};
    QStringList tags;
    for (const QString& part : QString::fromUtf8(buffer, size).split(u',')) {
        const QString tag = part.trimmed();
        if (!tag.isEmpty() && !tags.contains(tag))
            tags << tag;
    }
    return tags;
}

Indexer::Extracted Indexer::extract(const FoundFile& file) const {
    Extracted result;
    result.tags = tagsOf(file.nativePath);
    const TextExtractor* extractor = m_extractors.forFileName(file.filename);
    if (!extractor)
        return result; // by name only, and that is fine
    auto data = readFile(file.nativePath, m_options.maxFileBytes);
    if (!data) {
        result.failure = data.error().message;
        return result;
    }
    ExtractionLimits limits;
    limits.deadline = QDeadlineTimer(m_options.extractionMilliseconds);
    auto text = extractor->extract(data.value(), limits);
    if (!text)
        result.failure = text.error().message;
    else
        result.content = std::move(text.value());
    return result;
}

Result<IndexSummary> Indexer::run(const Progress& progress) {
    IndexSummary summary;
    auto stored = m_database.storedFiles();
    if (!stored)
        return stored.error();
    DocumentWalker walker(m_options.roots, m_reporter);
    std::vector<FoundFile> found = walker.walk();
    m_folders = walker.folders();
    summary.files = int(found.size());

    struct Change {
        const FoundFile* file;
        std::optional<std::int64_t> id;
    };
    std::vector<Change> toRead;
    std::vector<std::pair<const FoundFile*, std::int64_t>> toRetag;
    std::vector<const FoundFile*> fresh;
    QHash<QString, StoredFile>& known = stored.value();
    for (const FoundFile& file : found) {
        const auto it = known.find(pathKey(file.directory, file.filename));
        if (it == known.end()) {
            fresh.push_back(&file);
            continue;
        }
        const FileStamp& was = it->stamp;
        if (was == file.stamp)
            ++summary.unchanged;
        else if (was.size == file.stamp.size && was.mtimeNs == file.stamp.mtimeNs)
            toRetag.emplace_back(&file, it->id);
        else
            toRead.push_back({&file, it->id});
        known.erase(it);
    }
    // What is left in `known` is gone from its old place; a new file with the
    // same inode, size and time is that file renamed.
    QHash<std::int64_t, QString> goneByInode;
    for (auto it = known.cbegin(); it != known.cend(); ++it)
        goneByInode.insert(it->stamp.inode, it.key());
    std::vector<std::pair<const FoundFile*, std::int64_t>> toMove;
    for (const FoundFile* file : fresh) {
        const auto gone = goneByInode.find(file->stamp.inode);
        if (gone != goneByInode.end()) {
            const StoredFile& old = known[*gone];
            if (old.stamp.size == file->stamp.size && old.stamp.mtimeNs == file->stamp.mtimeNs) {
                toMove.emplace_back(file, old.id);
                known.remove(*gone);
                goneByInode.erase(gone);
                continue;
            }
        }
        toRead.push_back({file, std::nullopt});
    }

    // Cheap changes first, in a few transactions.
    const int total = int(toRead.size() + toMove.size() + toRetag.size() + known.size());
    int done = 0;
    auto batched = [&](auto&& items, auto&& apply) -> std::optional<Error> {
        for (std::size_t start = 0; start < items.size(); start += 500) {
            if (auto error = m_database.begin())
                return error;
            const std::size_t end = std::min(items.size(), start + 500);
            for (std::size_t i = start; i < end; ++i)
                if (auto error = apply(items[i])) {
                    m_database.rollback();
                    return error;
                }
            if (auto error = m_database.commit())
                return error;
            done += int(end - start);
            if (progress)
                progress(done, total);
        }
        return std::nullopt;
    };
    std::vector<std::int64_t> goneIDs;
    for (const StoredFile& file : std::as_const(known))
        goneIDs.push_back(file.id);
    if (auto error = batched(goneIDs, [&](std::int64_t id) { return m_database.remove(id); }))
        return *error;
    summary.removed = int(goneIDs.size());
    if (auto error = batched(toMove, [&](const auto& move) {
            return m_database.move(move.second, move.first->directory, move.first->filename,
                                   move.first->stamp);
        }))
        return *error;
    summary.moved = int(toMove.size());
    if (auto error = batched(toRetag, [&](const auto& retag) {
            return m_database.retag(retag.second, tagsOf(retag.first->nativePath),
                                    retag.first->stamp);
        }))
        return *error;
    summary.retagged = int(toRetag.size());

    // Texts: extracted in parallel, a batch at a time, each batch written in
    // one short transaction.
    std::size_t start = 0;
    while (start < toRead.size()) {
        std::size_t end = std::min(toRead.size(), start + kFilesPerTransaction);
        std::vector<Change> batch(toRead.begin() + qsizetype(start),
                                  toRead.begin() + qsizetype(end));
        const QList<Extracted> texts = QtConcurrent::blockingMapped<QList<Extracted>>(
            batch, [this](const Change& change) { return extract(*change.file); });
        if (auto error = m_database.begin())
            return *error;
        const std::int64_t now = m_options.now();
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const FoundFile& file = *batch[i].file;
            const Extracted& text = texts[qsizetype(i)];
            if (text.failure) {
                ++summary.nameOnly;
                m_reporter(pathKey(file.directory, file.filename) + u": " + *text.failure +
                           QStringLiteral("; indexed by name only"));
            }
            auto id = m_database.write(batch[i].id, file.directory, file.filename, text.content,
                                       text.tags, file.stamp, now);
            if (!id) {
                m_database.rollback();
                return id.error();
            }
            (batch[i].id ? summary.updated : summary.added)++;
        }
        if (auto error = m_database.commit())
            return *error;
        done += int(batch.size());
        if (progress)
            progress(done, total);
        start = end;
    }
    return summary;
}

} // namespace trovi::indexer
