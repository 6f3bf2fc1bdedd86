#pragma once
// File names are bytes, and most are UTF-8. A byte that is not part of valid
// UTF-8 is kept as the code point U+DC00 + byte (a lone surrogate, the escape
// Python uses for file names), so a name survives the trip into a QString and
// back exactly: opening, revealing and telling two names apart use the real
// bytes, where QFile::decodeName would turn them all into U+FFFD.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>

namespace trovi {

inline QString decodedPath(QByteArrayView native) {
    QString path = QString::fromUtf8(native);
    if (path.toUtf8() == native)
        return path;
    path.clear();
    for (qsizetype i = 0; i < native.size();) {
        const uchar lead = uchar(native[i]);
        const qsizetype length = lead < 0x80                    ? 1
                                 : lead >= 0xC2 && lead <= 0xDF ? 2
                                 : lead >= 0xE0 && lead <= 0xEF ? 3
                                 : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                : 0;
        if (length > 0 && i + length <= native.size()) {
            const QByteArrayView sequence = native.sliced(i, length);
            const QString decoded = QString::fromUtf8(sequence);
            if (decoded.toUtf8() == sequence) {
                path += decoded;
                i += length;
                continue;
            }
        }
        path += QChar(char16_t(0xDC00 + lead));
        ++i;
    }
    return path;
}

inline QByteArray encodedPath(const QString& path) {
    const auto isEscape = [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; };
    if (std::none_of(path.cbegin(), path.cend(), isEscape))
        return path.toUtf8();
    QByteArray native;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const bool pair =
            path[i].isHighSurrogate() && i + 1 < path.size() && path[i + 1].isLowSurrogate();
        if (!pair && isEscape(path[i])) {
            native += char(path[i].unicode() - 0xDC00);
            continue;
        }
        native += QStringView(path).sliced(i, pair ? 2 : 1).toUtf8();
        i += pair ? 1 : 0;
    }
    return native;
}

// QString::toLower turns the escapes into U+FFFD; this keeps them, so two
// names that differ only in such bytes still differ when compared as keys.
inline QString lowerCasePath(const QString& path) {
    // Every result's identity comes through here, and most paths are ASCII:
    // those are lower-cased without the Unicode tables.
    const char16_t* units = QStringView(path).utf16();
    bool ascii = true;
    bool upper = false;
    for (qsizetype i = 0; i < path.size() && ascii; ++i) {
        ascii = units[i] < 0x80;
        upper = upper || (units[i] >= u'A' && units[i] <= u'Z');
    }
    if (ascii && !upper)
        return path;
    if (ascii) {
        QString lowered = path;
        for (QChar& c : lowered)
            if (c >= u'A' && c <= u'Z')
                c = QChar(c.unicode() + (u'a' - u'A'));
        return lowered;
    }
    const auto isEscape = [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; };
    if (std::none_of(path.cbegin(), path.cend(), isEscape))
        return path.toLower();
    QString lowered;
    qsizetype run = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        const bool escape =
            i < path.size() && isEscape(path[i]) && !(i > 0 && path[i - 1].isHighSurrogate());
        if (i < path.size() && !escape)
            continue;
        lowered += QStringView(path).sliced(run, i - run).toString().toLower();
        if (escape)
            lowered += path[i];
        run = i + 1;
    }
    return lowered;
}

// The key that tells two files apart as results: the path itself on Linux,
// whose file systems keep "Readme" and "README" apart; lower-cased on macOS,
// whose default file system does not.
inline QString pathIdentityKey(const QString& path) {
#ifdef Q_OS_MACOS
    return lowerCasePath(path);
#else
    return path;
#endif
}

} // namespace trovi
