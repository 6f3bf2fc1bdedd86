#include "launcher/session/BrowserTabFocusRoute.h"

#include <QUrl>

#include <limits>

namespace trovi {

namespace {

const QString kScheme = QStringLiteral("browser-tab-focus");

// The host exactly as written: QUrl lower-cases host names, but bundle
// identifiers such as "com.brave.Browser" are case-sensitive.
QString rawHost(const QString& text) {
    const qsizetype start = text.indexOf(u"://");
    if (start < 0)
        return {};
    qsizetype end = start + 3;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#')
        ++end;
    QStringView authority = QStringView(text).mid(start + 3, end - start - 3);
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0)
        authority = authority.mid(at + 1);
    if (const qsizetype colon = authority.indexOf(u':'); colon >= 0)
        authority = authority.left(colon);
    return QUrl::fromPercentEncoding(authority.toUtf8());
}

// Whole decimal integer with an optional sign; no blanks, no overflow.
std::optional<std::int64_t> parseWholeInteger(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the minimum value fits.
    std::int64_t value = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (kMin + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == kMin)
        return std::nullopt;
    return -value;
}

} // namespace

std::optional<BrowserTabFocusRoute> decodeBrowserTabFocusRoute(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid() || url.scheme() != kScheme)
        return std::nullopt;
    const QString host = rawHost(text);
    if (host.isEmpty())
        return std::nullopt;

    std::optional<QString> window;
    std::optional<QString> tab;
    bool repeated = false;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString& item : query.split(u'&', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        const QString name = QUrl::fromPercentEncoding(item.left(eq).toUtf8());
        const QString value =
            eq < 0 ? QString() : QUrl::fromPercentEncoding(item.mid(eq + 1).toUtf8());
        // A route naming two windows or two tabs is ambiguous; refusing it
        // lets the caller open the page instead of focusing the wrong tab.
        std::optional<QString>* slot = name == u"window" ? &window
                                       : name == u"tab"  ? &tab
                                                         : nullptr;
        if (!slot)
            continue;
        if (*slot)
            repeated = true;
        *slot = value;
    }
    if (repeated || !window || !tab)
        return std::nullopt;

    const auto windowIndex = parseWholeInteger(*window);
    const auto tabIndex = parseWholeInteger(*tab);
    if (!windowIndex || !tabIndex)
        return std::nullopt;
    return BrowserTabFocusRoute{host, *windowIndex, *tabIndex};
}

} // namespace trovi
