#include "launcher/engine/sources/paths/ShortcutUsageKey.h"

#include "launcher/core/RegularFile.h"

#include <QByteArrayView>
#include <QStringView>
#include <QXmlStreamReader>

namespace trovi {

namespace {

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

std::optional<QString> nonEmpty(const QString& value) {
    return value.isEmpty() ? std::nullopt : std::optional<QString>(value);
}

// A binary property list is a table of objects that refer to each other by
// number, so a 200-byte file can describe a graph that expands to billions
// of nodes. Only the top dictionary's "URL" string matters: this looks at
// that dictionary's keys once each and at one value, never following any
// other reference, whatever the graph shares or cycles.
class BinaryPropertyList {
public:
    explicit BinaryPropertyList(QByteArrayView data) : m_data(data) {}

    std::optional<QString> url() const {
        constexpr qsizetype kTrailer = 32;
        if (m_data.size() < 8 + kTrailer || !m_data.startsWith("bplist0"))
            return std::nullopt;
        const qsizetype trailer = m_data.size() - kTrailer;
        m_offsetSize = int(byte(trailer + 6));
        m_refSize = int(byte(trailer + 7));
        m_objectCount = number(trailer + 8, 8);
        const quint64 top = number(trailer + 16, 8);
        m_table = number(trailer + 24, 8);
        if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || m_table < 8 ||
            m_table > quint64(trailer) ||
            m_objectCount > (quint64(trailer) - m_table) / quint64(m_offsetSize) ||
            top >= m_objectCount)
            return std::nullopt;

        qsizetype at = 0;
        quint64 count = 0;
        if (!objectHeader(top, 0xD, &at, &count) ||
            count > (m_table - quint64(at)) / quint64(2 * m_refSize))
            return std::nullopt;
        for (quint64 i = 0; i < count; ++i) {
            const quint64 key = number(at + qsizetype(i) * m_refSize, m_refSize);
            if (stringObject(key, 3) != QStringLiteral("URL"))
                continue;
            const quint64 value = number(at + qsizetype(count + i) * m_refSize, m_refSize);
            if (const auto text = stringObject(value, -1))
                return nonEmpty(*text);
            return std::nullopt;
        }
        return std::nullopt;
    }

private:
    uchar byte(qsizetype at) const { return uchar(m_data[at]); }
    quint64 number(qsizetype at, int width) const {
        quint64 value = 0;
        for (int i = 0; i < width; ++i)
            value = value << 8 | byte(at + i);
        return value;
    }

    // Finds object `ref`, checks its type nibble and reads its length (in
    // entries or code units); `at` is where its contents start.
    bool objectHeader(quint64 ref, int type, qsizetype* at, quint64* length) const {
        if (ref >= m_objectCount)
            return false;
        const quint64 offset =
            number(qsizetype(m_table + ref * quint64(m_offsetSize)), m_offsetSize);
        if (offset < 8 || offset >= m_table)
            return false;
        qsizetype pos = qsizetype(offset);
        const uchar marker = byte(pos++);
        if (marker >> 4 != type)
            return false;
        *length = marker & 0xF;
        if (*length == 0xF) { // the length follows as an integer object
            if (quint64(pos) >= m_table || byte(pos) >> 4 != 0x1 || (byte(pos) & 0xF) > 3)
                return false;
            const int width = 1 << (byte(pos++) & 0xF);
            if (quint64(pos + width) > m_table)
                return false;
            *length = number(pos, width);
            pos += width;
        }
        *at = pos;
        return true;
    }

    // An ASCII or UTF-16 string object; with `wanted` >= 0, only one of that
    // many characters (anything else is not the key being looked for).
    std::optional<QString> stringObject(quint64 ref, qint64 wanted) const {
        for (int type : {0x5, 0x6}) {
            qsizetype at = 0;
            quint64 length = 0;
            if (!objectHeader(ref, type, &at, &length))
                continue;
            const quint64 unit = type == 0x5 ? 1 : 2;
            if ((wanted >= 0 && length != quint64(wanted)) ||
                length > (m_table - quint64(at)) / unit)
                return std::nullopt;
            const QByteArrayView bytes = m_data.sliced(at, qsizetype(length * unit));
            if (type == 0x5)
                return QString::fromLatin1(bytes);
            QString text(qsizetype(length), Qt::Uninitialized);
            for (qsizetype i = 0; i < text.size(); ++i)
                text[i] = QChar(char16_t(uchar(bytes[2 * i]) << 8 | uchar(bytes[2 * i + 1])));
            return text;
        }
        return std::nullopt;
    }

    QByteArrayView m_data;
    mutable int m_offsetSize = 0;
    mutable int m_refSize = 0;
    mutable quint64 m_objectCount = 0;
    mutable quint64 m_table = 0;
};

// XML is read as a stream with a depth limit. A document type that declares
// entities is refused outright: entities that expand into each other turn a
// few hundred bytes into gigabytes, and a link file never needs one.
constexpr int kMaxXmlNesting = 16;

std::optional<QString> urlFromXmlPropertyList(const QByteArray& data) {
    QXmlStreamReader xml(data);
    int depth = 0;
    bool topIsDict = false;
    bool afterURLKey = false;
    std::optional<QString> url;
    bool seen = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            if (!xml.entityDeclarations().isEmpty())
                return std::nullopt;
            break;
        case QXmlStreamReader::EntityReference:
            return std::nullopt;
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxXmlNesting)
                return std::nullopt;
            if (depth == 1 && xml.name() != u"plist")
                return std::nullopt;
            if (depth == 2)
                topIsDict = topIsDict || xml.name() == u"dict";
            if (depth != 3 || !topIsDict)
                break;
            if (xml.name() == u"key") {
                afterURLKey = xml.readElementText() == u"URL";
                --depth;
            } else if (afterURLKey) {
                afterURLKey = false;
                if (!seen && xml.name() == u"string") {
                    url = nonEmpty(xml.readElementText());
                    --depth;
                }
                seen = true;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    // Only a whole, well-formed document counts.
    if (xml.hasError())
        return std::nullopt;
    return url;
}

std::optional<QString> keyFromPropertyList(const QByteArray& data) {
    if (data.startsWith("bplist"))
        return BinaryPropertyList(data).url();
    return urlFromXmlPropertyList(data);
}

} // namespace

std::optional<QString> shortcutUsageKey(const QString& filePath) {
    if (!hasShortcutUsageKeySuffix(filePath))
        return std::nullopt;
    const std::optional<QByteArray> data = readRegularFile(filePath, file_caps::linkFile);
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
