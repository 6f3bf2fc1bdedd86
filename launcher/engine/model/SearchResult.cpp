#include "launcher/engine/model/SearchResult.h"

#include "launcher/core/NativePath.h"

namespace trovi {

namespace {
struct KindName {
    SearchResultKind kind;
    const char16_t* name;
};
constexpr KindName kKindNames[] = {
    {SearchResultKind::file, u"file"},
    {SearchResultKind::app, u"app"},
    {SearchResultKind::folder, u"folder"},
    {SearchResultKind::action, u"action"},
};

struct ActionName {
    SearchResultAction action;
    const char16_t* name;
};
constexpr ActionName kActionNames[] = {
    {SearchResultAction::openSettings, u"openSettings"},
    {SearchResultAction::openSystemSettings, u"openSystemSettings"},
    {SearchResultAction::focusBrowserTab, u"focusBrowserTab"},
    {SearchResultAction::openBrowserFavorite, u"openBrowserFavorite"},
    {SearchResultAction::copyToClipboard, u"copyToClipboard"},
    {SearchResultAction::openNotionPage, u"openNotionPage"},
};
} // namespace

QString toString(SearchResultKind kind) {
    for (const auto& entry : kKindNames)
        if (entry.kind == kind)
            return QString::fromUtf16(entry.name);
    return {};
}

std::optional<SearchResultKind> searchResultKindFromString(QStringView text) {
    for (const auto& entry : kKindNames)
        if (text == QStringView(entry.name))
            return entry.kind;
    return std::nullopt;
}

QString toString(SearchResultAction action) {
    for (const auto& entry : kActionNames)
        if (entry.action == action)
            return QString::fromUtf16(entry.name);
    return {};
}

std::optional<SearchResultAction> searchResultActionFromString(QStringView text) {
    for (const auto& entry : kActionNames)
        if (text == QStringView(entry.name))
            return entry.action;
    return std::nullopt;
}

QString joinPath(const QString& directory, const QString& name) {
    if (directory.isEmpty())
        return name;
    QStringView dir(directory);
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    QStringView file(name);
    while (file.startsWith(u'/'))
        file = file.mid(1);
    if (dir == u"/")
        return u'/' + file.toString();
    if (file.isEmpty())
        return dir.toString();
    return dir.toString() + u'/' + file.toString();
}

QString SearchResult::fullPath() const {
    if (kind == SearchResultKind::action) {
        if (actionURLString)
            return *actionURLString;
        if (action)
            return QStringLiteral("action://") + toString(*action);
    }
    return joinPath(directory, filename);
}

QString SearchResult::identity() const {
    if (kind == SearchResultKind::action)
        return usageKey ? usageKey->toLower() : lowerCasePath(fullPath());
    return pathIdentityKey(fullPath());
}

QString SearchResult::usageKeyOrFullPath() const {
    return usageKey ? *usageKey : fullPath();
}

bool SearchResult::namesContain(const QString& lowercased) const {
    return filename.toLower().contains(lowercased) ||
           (title && title->toLower().contains(lowercased)) ||
           (keywords && keywords->toLower().contains(lowercased));
}

SearchResult SearchResult::withOpenCount(std::int64_t count) const {
    SearchResult copy = *this;
    copy.openCount = count;
    return copy;
}

SearchResult SearchResult::withRelevanceScore(std::optional<std::int64_t> score) const {
    SearchResult copy = *this;
    copy.relevanceScore = score;
    return copy;
}

bool SearchResult::operator==(const SearchResult& o) const {
    return id == o.id && filename == o.filename && directory == o.directory &&
           openCount == o.openCount && snippet == o.snippet && databaseID() == o.databaseID() &&
           kind == o.kind && action == o.action && actionURLString == o.actionURLString &&
           fallbackActionURLString == o.fallbackActionURLString &&
           isDirectPathMatch == o.isDirectPathMatch && usageKey == o.usageKey &&
           isRecentActivation == o.isRecentActivation && relevanceScore == o.relevanceScore &&
           title == o.title && keywords == o.keywords && iconName == o.iconName &&
           description == o.description;
}

std::int64_t stableNegativeID(const QString& identity) {
    std::uint64_t h = 1469598103934665603ULL;
    const QByteArray utf8 = encodedPath(identity);
    for (char c : utf8) {
        h ^= std::uint64_t(static_cast<unsigned char>(c));
        h *= 1099511628211ULL;
    }
    const std::uint64_t r = h % 9223372036854775806ULL;
    return -std::int64_t(r) - 1;
}

} // namespace trovi
