#include "launcher/engine/sources/paths/ShortcutUsageKey.h"

#include "launcher/core/NativePath.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringView>
#include <QtEndian>

#include <plist/plist.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <memory>

namespace trovi {

namespace {

// Link files are a few hundred bytes; anything this large is not one.
constexpr qint64 kMaxShortcutFileSize = 1024 * 1024;

// Reads a regular file whole. Opening without blocking and checking the type
// on the open descriptor keeps a pipe or device with a link suffix from
// hanging the catalogue walk.
std::optional<QByteArray> readSmallRegularFile(const QString& path) {
    const QByteArray encoded = encodedPath(path);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxShortcutFileSize)
        return std::nullopt;
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t n = ::read(fd, data.data() + filled, std::size_t(data.size() - filled));
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break; // shrank while being read
        filled += n;
    }
    data.truncate(filled);
    return data;
}

std::optional<QString> keyFromInternetShortcut(const QByteArray& data) {
    const QString text = QString::fromUtf8(data);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.size() >= 4 && line.first(4).compare(u"url=", Qt::CaseInsensitive) == 0) {
            const QString value = line.sliced(4).trimmed().toString();
            if (value.isEmpty())
                return std::nullopt;
            return value;
        }
    }
    return std::nullopt;
}

// The property-list parser recurses once per nesting level, so a crafted file
// nested tens of thousands deep would overflow the stack. A link is a
// dictionary of a few entries: anything with more objects or deeper nesting
// is refused before parsing.
constexpr quint64 kMaxBinaryObjects = 256;
constexpr int kMaxXmlNesting = 16;

bool isSmallPropertyList(const QByteArray& data) {
    if (data.startsWith("bplist")) {
        constexpr qsizetype kTrailer = 32; // the object count sits 8 bytes in
        if (data.size() < 8 + kTrailer)
            return false;
        const auto* trailer =
            reinterpret_cast<const uchar*>(data.constData()) + data.size() - kTrailer;
        return qFromBigEndian<quint64>(trailer + 8) <= kMaxBinaryObjects;
    }
    int depth = 0;
    for (qsizetype at = data.indexOf('<'); at >= 0; at = data.indexOf('<', at + 1)) {
        const QByteArrayView tag = QByteArrayView(data).sliced(at + 1);
        const bool closing = tag.startsWith('/');
        const QByteArrayView name = closing ? tag.sliced(1) : tag;
        const qsizetype nameLength = name.startsWith("dict") ? 4 : name.startsWith("array") ? 5 : 0;
        if (nameLength == 0 || name.size() == nameLength)
            continue;
        const char after = name[nameLength];
        if (after != '>' && after != '/' && !std::isspace(uchar(after)))
            continue; // another element that starts the same way
        const qsizetype end = name.indexOf('>');
        if (closing)
            --depth;
        else if (end > 0 && name[end - 1] != '/' && ++depth > kMaxXmlNesting)
            return false;
    }
    return true;
}

std::optional<QString> keyFromPropertyList(const QByteArray& data) {
    if (data.isEmpty() || !isSmallPropertyList(data))
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &root);
    if (!root)
        return std::nullopt;
    const std::unique_ptr<void, void (*)(plist_t)> owner(root, plist_free);
    if (plist_get_node_type(root) != PLIST_DICT)
        return std::nullopt;
    plist_t node = plist_dict_get_item(root, "URL");
    if (!node || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    uint64_t length = 0;
    const char* value = plist_get_string_ptr(node, &length);
    if (!value || length == 0)
        return std::nullopt;
    return QString::fromUtf8(value, qsizetype(length));
}

} // namespace

std::optional<QString> shortcutUsageKey(const QString& filePath) {
    if (!hasShortcutUsageKeySuffix(filePath))
        return std::nullopt;
    const std::optional<QByteArray> data = readSmallRegularFile(filePath);
    if (!data)
        return std::nullopt;
    return shortcutUsageKeyFromContents(filePath, *data);
}

std::optional<QString> shortcutUsageKeyFromContents(const QString& filename,
                                                    const QByteArray& contents) {
    if (filename.endsWith(u".webloc", Qt::CaseInsensitive))
        return keyFromPropertyList(contents);
    if (hasShortcutUsageKeySuffix(filename))
        return keyFromInternetShortcut(contents);
    return std::nullopt;
}

bool hasShortcutUsageKeySuffix(const QString& filename) {
    static const QStringView suffixes[] = {u".url", u".webloc", u".gsheet", u".gdoc", u".gslides"};
    for (QStringView suffix : suffixes)
        if (filename.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace trovi
