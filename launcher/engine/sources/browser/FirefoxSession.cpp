#include "launcher/engine/sources/browser/FirefoxSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>

#include <lz4.h>

#include <algorithm>
#include <limits>

namespace trovi {

namespace {

constexpr QByteArrayView kMagic("mozLz40\0", 8);
constexpr qsizetype kHeaderSize = 12;

} // namespace

std::optional<QByteArray> decompressMozLz4(QByteArrayView data, qint64 maxBytes) {
    if (data.size() < kHeaderSize || !data.startsWith(kMagic) ||
        data.size() - kHeaderSize > std::numeric_limits<int>::max())
        return std::nullopt;
    const quint32 size = qFromLittleEndian<quint32>(data.data() + 8);
    if (size > maxBytes || size > quint32(std::numeric_limits<int>::max()))
        return std::nullopt;
    QByteArray json(qsizetype(size), Qt::Uninitialized);
    // The safe decoder never reads or writes past the bounds it is given.
    const int written = LZ4_decompress_safe(data.data() + kHeaderSize, json.data(),
                                            int(data.size() - kHeaderSize), int(size));
    if (written != int(size))
        return std::nullopt;
    return json;
}

QList<BrowserSessionTab> parseFirefoxSessionJson(const QByteArray& json) {
    const QJsonArray windows = QJsonDocument::fromJson(json).object().value(u"windows").toArray();
    QList<BrowserSessionTab> tabs;
    int windowIndex = 0;
    for (const QJsonValue& window : windows) {
        ++windowIndex;
        int tabIndex = 0;
        for (const QJsonValue& tabValue : window.toObject().value(u"tabs").toArray()) {
            ++tabIndex;
            const QJsonObject tab = tabValue.toObject();
            const QJsonArray entries = tab.value(u"entries").toArray();
            if (entries.isEmpty())
                continue;
            // `index` is 1-based; a missing or stale one means the last entry.
            const qsizetype index = std::clamp<qsizetype>(
                tab.value(u"index").toInteger(entries.size()), 1, entries.size());
            const QJsonObject entry = entries.at(index - 1).toObject();
            tabs.append({windowIndex, tabIndex, entry.value(u"title").toString(),
                         entry.value(u"url").toString()});
            if (tabs.size() >= session_limits::maxTabs)
                return tabs;
        }
    }
    return tabs;
}

QList<BrowserSessionTab> parseFirefoxSession(QByteArrayView data) {
    const auto json = decompressMozLz4(data);
    return json ? parseFirefoxSessionJson(*json) : QList<BrowserSessionTab>{};
}

} // namespace trovi
