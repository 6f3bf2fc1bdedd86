#include "launcher/engine/sources/paths/CatalogDiscovery.h"

#include "launcher/core/RegularFile.h"

#include "launcher/core/NativePath.h"
#include "launcher/engine/sources/paths/DirectoryWalker.h"
#include "launcher/engine/sources/paths/ShortcutUsageKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <string>
#include <string_view>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace trovi {

namespace {

// Lower-cases a name as QString::toLower would; ASCII names, by far the most
// common, never leave their bytes.
std::string_view lowered(std::string_view text, std::string& scratch) {
    bool ascii = true;
    bool hasUpper = false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
        hasUpper = hasUpper || (c >= 'A' && c <= 'Z');
    }
    if (ascii && !hasUpper)
        return text;
    if (ascii) {
        scratch.assign(text);
        for (char& c : scratch)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return scratch;
    }
    scratch = QFile::decodeName(QByteArray(text.data(), qsizetype(text.size())))
                  .toLower()
                  .toUtf8()
                  .toStdString();
    return scratch;
}

// The text after the last dot; a leading dot does not start a suffix.
std::string_view suffixOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    return name.substr(dot + 1);
}

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// A set of lower-case names looked up by raw directory-entry bytes.
class NameSet {
public:
    explicit NameSet(const QSet<QString>& names) {
        for (const QString& name : names)
            m_names.insert(QFile::encodeName(name.toLower()).toStdString());
    }
    bool containsLowered(std::string_view name, std::string& scratch) const {
        return m_names.find(lowered(name, scratch)) != m_names.end();
    }

private:
    std::unordered_set<std::string, StringHash, std::equal_to<>> m_names;
};

// Paths already taken by one call, so overlapping roots give one record
// (and, where the file system ignores case, case variants too). A walk never
// reaches one path twice below one root, so roots apart from each other need
// no record of what was seen.
class SeenPaths {
public:
    SeenPaths() = default;
    explicit SeenPaths(const QStringList& roots) : m_needed(false) {
        QStringList keys;
        for (const QString& root : roots)
            keys << pathIdentityKey(DirectoryWalker::standardisedPath(root));
        for (qsizetype a = 0; a < keys.size() && !m_needed; ++a)
            for (qsizetype b = 0; b < keys.size() && !m_needed; ++b)
                m_needed = a != b && (keys[a] == keys[b] || keys[a] == u"/" ||
                                      keys[b].startsWith(keys[a] + u'/'));
    }
    bool take(const QString& path) {
        if (!m_needed)
            return true;
        const qsizetype before = m_paths.size();
        m_paths.insert(pathIdentityKey(path));
        return m_paths.size() != before;
    }

private:
    bool m_needed = true;
    QSet<QString> m_paths;
};

bool isDirectory(const DirectoryEntry& entry) {
    if (entry.type() == DirectoryEntryType::directory)
        return true;
    return entry.type() == DirectoryEntryType::symlink &&
           entry.followedType() == DirectoryEntryType::directory;
}

const NameSet& packageSuffixSet() {
    static const NameSet set(packageDirectorySuffixes());
    return set;
}

// Directories whose contents are never walked.
WalkAction descendUnlessPackage(std::string_view suffix, std::string& scratch) {
    return packageSuffixSet().containsLowered(suffix, scratch) ? WalkAction::skipDescendants
                                                               : WalkAction::descend;
}

SearchResult makeRecord(SearchResultKind kind, const QString& idKey, const QString& filename,
                        const QString& directory) {
    SearchResult result;
    result.id = stableNegativeID(idKey);
    result.kind = kind;
    result.filename = filename;
    result.directory = directory;
    return result;
}

} // namespace

QSet<QString> defaultExcludedFolderNames() {
    return {u"library"_s, u".git"_s,   u".svn"_s,    u".hg"_s,         u"node_modules"_s,
            u".next"_s,   u".turbo"_s, u".cache"_s,  u".pnpm-store"_s, u"dist"_s,
            u"build"_s,   u"target"_s, u"coverage"_s};
}

QSet<QString> baselineShortcutFileExtensions() {
    return {u"url"_s, u"webloc"_s};
}

QStringList defaultPinnedFolderPaths() {
    return {u"/Applications"_s};
}

QSet<QString> packageDirectorySuffixes() {
    return {u"app"_s, u"appex"_s,         u"bundle"_s, u"framework"_s, u"plugin"_s,     u"kext"_s,
            u"xpc"_s, u"photoslibrary"_s, u"rtfd"_s,   u"xcodeproj"_s, u"xcworkspace"_s};
}

bool isPackageDirectoryName(const QString& name) {
    const QByteArray bytes = QFile::encodeName(name);
    std::string scratch;
    return packageSuffixSet().containsLowered(
        suffixOf(std::string_view(bytes.constData(), std::size_t(bytes.size()))), scratch);
}

QStringList defaultAppSearchRoots(const QString& home) {
    return {u"/Applications"_s, u"/System/Applications"_s,
            u"/System/Cryptexes/App/System/Applications"_s,
            DirectoryWalker::standardisedPath(home + u"/Applications")};
}

namespace {

// The value of `key` in a user-dirs.dirs file: a double-quoted "$HOME/..." or
// absolute path, with backslash escapes, as xdg-user-dirs writes it. Lines in
// any other form are ignored, as that tool does; the last valid line wins.
std::optional<QString> userDirectory(const QString& content, QStringView key, const QString& home) {
    std::optional<QString> found;
    for (QStringView line : QStringView(content).split(u'\n')) {
        line = line.trimmed();
        if (!line.startsWith(key))
            continue;
        line = line.sliced(key.size()).trimmed();
        if (!line.startsWith(u'=') || !(line = line.sliced(1).trimmed()).startsWith(u'"'))
            continue;
        line = line.sliced(1);
        QString path;
        if (line.startsWith(u"$HOME")) {
            line = line.sliced(5);
            if (!line.startsWith(u'/') && !line.startsWith(u'"'))
                continue;
            path = home;
        } else if (!line.startsWith(u'/')) {
            continue;
        }
        bool closed = false;
        for (qsizetype i = 0; i < line.size() && !closed; ++i) {
            if (line[i] == u'"')
                closed = true;
            else
                path += line[i] == u'\\' && i + 1 < line.size() ? line[++i] : line[i];
        }
        if (closed)
            found = DirectoryWalker::standardisedPath(path);
    }
    return found;
}

} // namespace

QStringList defaultShortcutSearchRoots(const QString& home) {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(configHome))
        configHome = home + u"/.config"_s;
    const QString userDirs = QString::fromUtf8(
        readRegularFile(configHome + u"/user-dirs.dirs"_s, file_caps::settingsFile)
            .value_or(QByteArray()));
    const QString standardHome = DirectoryWalker::standardisedPath(home);
    QStringList roots;
    auto add = [&](const QString& path) {
        // A folder set to the home folder itself is switched off.
        if (path != standardHome && !roots.contains(path) && QFileInfo::exists(path))
            roots << path;
    };
    const std::pair<QStringView, QString> userFolders[] = {{u"XDG_DOCUMENTS_DIR", u"Documents"_s},
                                                           {u"XDG_DESKTOP_DIR", u"Desktop"_s},
                                                           {u"XDG_DOWNLOAD_DIR", u"Downloads"_s}};
    for (const auto& [key, englishName] : userFolders)
        add(userDirectory(userDirs, key, home)
                .value_or(DirectoryWalker::standardisedPath(home + u'/' + englishName)));
    add(DirectoryWalker::standardisedPath(home + u"/My Drive"_s));
    return roots;
}

QList<SearchResult> discoverAppBundles(const QStringList& searchRoots) {
    QList<SearchResult> results;
    SeenPaths seen;
    std::string scratch;
    const auto visit = [&](const DirectoryEntry& entry) {
        const std::string_view name = entry.nameUtf8();
        const bool isApp = lowered(suffixOf(name), scratch) == "app";
        if (name.front() == '.' && !isApp)
            return WalkAction::skipDescendants;
        if (!isApp)
            return descendUnlessPackage(suffixOf(name), scratch);
        const QString path = entry.path();
        if (seen.take(path))
            results.append(
                makeRecord(SearchResultKind::app, path, entry.name(), entry.parentPath()));
        return WalkAction::skipDescendants; // a bundle is a package
    };
    for (const QString& root : searchRoots)
        DirectoryWalker::walk(root, 0, visit);
    return results;
}

PathRecords discoverFolders(const QStringList& searchRoots, int maxDepth,
                            const QSet<QString>& excludedFolderNames) {
    PathRecords results;
    if (maxDepth < 1)
        return results;
    const NameSet excluded(excludedFolderNames);
    SeenPaths seen(searchRoots);
    std::string scratch;
    const auto visit = [&](const DirectoryEntry& entry) {
        const std::string_view name = entry.nameUtf8();
        if (name.front() == '.' || excluded.containsLowered(name, scratch))
            return WalkAction::skipDescendants;
        const std::string_view suffix = suffixOf(name);
        if (lowered(suffix, scratch) == "app" || !isDirectory(entry))
            return WalkAction::skipDescendants;
        const QString filename = entry.name();
        const QString& directory = entry.parentPath();
        const QString path =
            directory == u"/" ? QString(u'/' + filename) : QString(directory + u'/' + filename);
        if (seen.take(path))
            results.append(stableNegativeID(u"folder:" + path), SearchResultKind::folder, filename,
                           directory);
        return descendUnlessPackage(suffix, scratch);
    };
    for (const QString& root : searchRoots)
        DirectoryWalker::walk(root, maxDepth, visit);
    return results;
}

QList<SearchResult> discoverShortcuts(const QStringList& searchRoots, int maxDepth,
                                      const QSet<QString>& excludedFolderNames,
                                      const QSet<QString>& fileExtensions) {
    QList<SearchResult> results;
    if (maxDepth < 1)
        return results;
    const NameSet excluded(excludedFolderNames);
    const NameSet extensions(fileExtensions);
    SeenPaths seen;
    std::string scratch;
    const auto visit = [&](const DirectoryEntry& entry) {
        const std::optional<DirectoryEntryType> type = entry.followedType();
        if (!type)
            return WalkAction::skipDescendants; // a dangling link
        const std::string_view name = entry.nameUtf8();
        if (name.front() == '.')
            return WalkAction::skipDescendants;
        if (*type == DirectoryEntryType::directory) {
            if (excluded.containsLowered(name, scratch))
                return WalkAction::skipDescendants;
            return descendUnlessPackage(suffixOf(name), scratch);
        }
        // Pipes, sockets and devices are never link files, whatever their name.
        if (*type != DirectoryEntryType::file ||
            !extensions.containsLowered(suffixOf(name), scratch))
            return WalkAction::skipDescendants;
        const QString path = entry.path();
        if (!seen.take(path))
            return WalkAction::skipDescendants;
        SearchResult result = makeRecord(SearchResultKind::file, u"shortcut:" + path, entry.name(),
                                         entry.parentPath());
        result.usageKey = shortcutUsageKey(path);
        results.append(std::move(result));
        return WalkAction::skipDescendants;
    };
    for (const QString& root : searchRoots)
        DirectoryWalker::walk(root, maxDepth, visit);
    return results;
}

QSet<QString> shortcutFileExtensions(const QSet<QString>& baseline,
                                     const QStringList& ruleSuffixes) {
    QSet<QString> extensions;
    for (const QString& suffix : baseline)
        extensions.insert(suffix.toLower());
    for (const QString& suffix : ruleSuffixes) {
        QStringView rest(suffix);
        while (rest.startsWith(u'.'))
            rest = rest.sliced(1);
        const QList<QStringView> pieces = rest.split(u'.', Qt::SkipEmptyParts);
        if (!pieces.isEmpty())
            extensions.insert(pieces.last().toString().toLower());
    }
    return extensions;
}

std::optional<SearchResult> pinnedFolderResult(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return std::nullopt;
    const QString standardised = DirectoryWalker::standardisedPath(path);
    if (standardised == u"/")
        return makeRecord(SearchResultKind::folder, u"folder:" + path, standardised, standardised);
    const qsizetype slash = standardised.lastIndexOf(u'/');
    const QString directory = slash == 0 ? u"/"_s : standardised.left(slash);
    return makeRecord(SearchResultKind::folder, u"folder:" + path, standardised.sliced(slash + 1),
                      directory);
}

} // namespace trovi
