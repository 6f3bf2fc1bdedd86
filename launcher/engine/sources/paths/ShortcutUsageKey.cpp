#include "launcher/engine/sources/paths/ShortcutUsageKey.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringView>

#include <plist/plist.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace trovi {

namespace {

// Link files are a few hundred bytes; anything this large is not one.
constexpr qint64 kMaxShortcutFileSize = 1024 * 1024;

// Reads a regular file whole. Opening without blocking and checking the type
// on the open descriptor keeps a pipe or device with a link suffix from
// hanging the catalogue walk.
std::optional<QByteArray> readSmallRegularFile(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
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

std::optional<QString> keyFromPropertyList(const QByteArray& data) {
    if (data.isEmpty())
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
    const QString suffix = QFileInfo(filePath).suffix().toLower();
    const bool internetShortcut =
        suffix == u"url" || suffix == u"gsheet" || suffix == u"gdoc" || suffix == u"gslides";
    const bool webLocation = suffix == u"webloc";
    if (!internetShortcut && !webLocation)
        return std::nullopt;
    const std::optional<QByteArray> data = readSmallRegularFile(filePath);
    if (!data)
        return std::nullopt;
    return internetShortcut ? keyFromInternetShortcut(*data) : keyFromPropertyList(*data);
}

bool hasShortcutUsageKeySuffix(const QString& filename) {
    static const QStringView suffixes[] = {u".url", u".webloc", u".gsheet", u".gdoc", u".gslides"};
    for (QStringView suffix : suffixes)
        if (filename.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace trovi
