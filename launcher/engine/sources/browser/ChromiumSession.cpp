#include "launcher/engine/sources/browser/ChromiumSession.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <optional>

namespace trovi {

namespace {

// Command bytes the restore needs; everything else (bounds, pinning, groups,
// user agents) says nothing about which page a tab shows.
enum Command : quint8 {
    setTabWindow = 0,
    setTabIndexInWindow = 2,
    navigationPathPrunedFromBack = 5,
    updateTabNavigation = 6,
    setSelectedNavigationIndex = 7,
    navigationPathPrunedFromFront = 11,
    tabClosed = 16,
    windowClosed = 17,
    navigationPathPruned = 24,
};

// Version 1 and, since 2021, 3 (with a marker record); 2 and 4 are encrypted.
bool isReadableVersion(qint32 version) {
    return version == 1 || version == 3;
}

std::optional<qint32> int32At(QByteArrayView data, qsizetype offset) {
    if (offset < 0 || offset + 4 > data.size())
        return std::nullopt;
    return qFromLittleEndian<qint32>(data.data() + offset);
}

// Reads a pickle: a 32-bit payload size, then fields each padded to 4 bytes.
class PickleReader {
public:
    explicit PickleReader(QByteArrayView pickle) {
        const auto size = int32At(pickle, 0);
        if (size && *size >= 0 && *size <= pickle.size() - 4)
            m_data = pickle.sliced(4, *size);
    }
    std::optional<qint32> readInt() {
        const auto value = int32At(m_data, m_position);
        if (value)
            m_position += 4;
        return value;
    }
    // A byte string (int32 length, bytes) or a UTF-16 one (int32 length in
    // code units, two bytes each).
    std::optional<QByteArrayView> readBytes(int unitSize) {
        const auto length = int32At(m_data, m_position);
        if (!length || *length < 0 || qint64(*length) * unitSize > m_data.size() - m_position - 4)
            return std::nullopt;
        const qsizetype bytes = qsizetype(*length) * unitSize;
        const QByteArrayView value = m_data.sliced(m_position + 4, bytes);
        m_position = std::min(m_data.size(), m_position + 4 + ((bytes + 3) & ~qsizetype(3)));
        return value;
    }

private:
    QByteArrayView m_data;
    qsizetype m_position = 0;
};

QString utf16(QByteArrayView bytes) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.data() + 2 * i));
    return text;
}

struct Navigation {
    QString url;
    QString title;
};

struct Tab {
    qint32 window = 0;
    qint32 visualIndex = 0;
    qint32 currentIndex = 0;
    QMap<qint32, Navigation> navigations; // by navigation index
};

class SessionReplay {
public:
    void apply(quint8 command, QByteArrayView payload);
    QList<BrowserSessionTab> tabs() const;

private:
    Tab* tab(std::optional<qint32> id) {
        if (!id)
            return nullptr;
        auto it = m_tabs.find(*id);
        if (it == m_tabs.end()) {
            if (m_tabs.size() >= session_limits::maxTabs)
                return nullptr;
            it = m_tabs.insert(*id, {});
        }
        return &*it;
    }
    void prune(Tab& tab, qint32 index, qint32 count);

    QHash<qint32, Tab> m_tabs;
    QSet<qint32> m_closedWindows;
    int m_navigations = 0;
};

void SessionReplay::apply(quint8 command, QByteArrayView payload) {
    const auto first = int32At(payload, 0);
    const auto second = int32At(payload, 4);
    switch (command) {
    case setTabWindow: // window id, tab id
        if (Tab* t = second ? tab(second) : nullptr; t && first) {
            t->window = *first;
            m_closedWindows.remove(*first);
        }
        break;
    case setTabIndexInWindow:
        if (Tab* t = second ? tab(first) : nullptr)
            t->visualIndex = *second;
        break;
    case setSelectedNavigationIndex:
        if (Tab* t = second ? tab(first) : nullptr)
            t->currentIndex = *second;
        break;
    case tabClosed:
        if (first)
            m_tabs.remove(*first);
        break;
    case windowClosed:
        if (first)
            m_closedWindows.insert(*first);
        break;
    case navigationPathPrunedFromBack: // entries from the index on are gone
        if (Tab* t = second ? tab(first) : nullptr; t && *second >= 0)
            prune(*t, *second, std::numeric_limits<qint32>::max() - *second);
        break;
    case navigationPathPrunedFromFront: // the first `count` entries are gone
        if (Tab* t = second ? tab(first) : nullptr; t && *second > 0)
            prune(*t, 0, *second);
        break;
    case navigationPathPruned: // id, index, count
        if (const auto count = int32At(payload, 8);
            count && *count > 0 && *second >= 0 &&
            *second <= std::numeric_limits<qint32>::max() - *count)
            if (Tab* t = tab(first))
                prune(*t, *second, *count);
        break;
    case updateTabNavigation: {
        PickleReader pickle(payload);
        const auto id = pickle.readInt();
        const auto index = pickle.readInt();
        const auto url = pickle.readBytes(1);
        const auto title = pickle.readBytes(2);
        Tab* t = index && title ? tab(id) : nullptr;
        if (!t)
            break;
        const bool isNew = !t->navigations.contains(*index);
        if (isNew && m_navigations >= session_limits::maxNavigations)
            break;
        m_navigations += isNew;
        t->navigations.insert(*index, {QString::fromUtf8(*url), utf16(*title)});
        break;
    }
    default:
        break;
    }
}

void SessionReplay::prune(Tab& tab, qint32 index, qint32 count) {
    const qint64 end = qint64(index) + count;
    if (tab.currentIndex >= index && tab.currentIndex < end)
        tab.currentIndex = index - 1;
    else if (tab.currentIndex >= end)
        tab.currentIndex = qint32(tab.currentIndex - count);
    QMap<qint32, Navigation> kept;
    for (auto it = tab.navigations.cbegin(); it != tab.navigations.cend(); ++it) {
        if (it.key() < index)
            kept.insert(it.key(), it.value());
        else if (it.key() >= end)
            kept.insert(qint32(it.key() - count), it.value());
    }
    m_navigations -= int(tab.navigations.size() - kept.size());
    tab.navigations = std::move(kept);
}

QList<BrowserSessionTab> SessionReplay::tabs() const {
    struct Placed {
        qint32 window, visualIndex, id;
        const Navigation* page;
    };
    QList<Placed> placed;
    for (auto it = m_tabs.cbegin(); it != m_tabs.cend(); ++it) {
        const Tab& t = it.value();
        if (t.window == 0 || m_closedWindows.contains(t.window) || t.navigations.isEmpty())
            continue;
        // The current entry, or the nearest after it, or the last one: the
        // browser's own rule when its history was cut.
        auto page = t.navigations.lowerBound(t.currentIndex);
        if (page == t.navigations.cend())
            --page;
        placed.append({t.window, t.visualIndex, it.key(), &page.value()});
    }
    // Window ids grow as windows open; ties in the visual index go by tab id.
    std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.window, a.visualIndex, a.id) < std::tie(b.window, b.visualIndex, b.id);
    });
    QList<BrowserSessionTab> tabs;
    int windowIndex = 0, tabIndex = 0;
    for (qsizetype i = 0; i < placed.size(); ++i) {
        if (i == 0 || placed[i].window != placed[i - 1].window) {
            ++windowIndex;
            tabIndex = 0;
        }
        tabs.append({windowIndex, ++tabIndex, placed[i].page->title, placed[i].page->url});
    }
    return tabs;
}

} // namespace

QList<BrowserSessionTab> parseChromiumSession(QByteArrayView data) {
    if (!data.startsWith("SNSS") || !isReadableVersion(int32At(data, 4).value_or(0)))
        return {};
    SessionReplay replay;
    qsizetype position = 8;
    while (position + 2 <= data.size()) {
        const quint16 size = qFromLittleEndian<quint16>(data.data() + position);
        // A zero size is a failed write; a record past the end is still being
        // written. Either way the log ends here.
        if (size == 0 || position + 2 + size > data.size())
            break;
        replay.apply(quint8(data[position + 2]), data.sliced(position + 3, size - 1));
        position += 2 + size;
    }
    return replay.tabs();
}

} // namespace trovi
