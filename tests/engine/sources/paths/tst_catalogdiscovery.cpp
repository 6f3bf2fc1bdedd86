// Folders and shortcut files found on disk, the address a shortcut file is
// counted under; and the indexed path catalogue, which must answer exactly like
// the straightforward filter-and-sort over the merged list, for any catalogue,
// query and rules.
#include "launcher/core/NativePath.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/paths/PathCatalog.h"
#include "launcher/engine/sources/paths/ShortcutUsageKey.h"
#include "tests/support/Files.h"
#include "tests/support/Results.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>
#include <unistd.h>

using namespace trovi;
using namespace Qt::StringLiterals;
using trovi::test::writeFile;

namespace {

bool makeDirs(const QString& root, const QStringList& relativePaths) {
    for (const QString& relative : relativePaths)
        if (!QDir(root).mkpath(relative))
            return false;
    return true;
}

QStringList relativePaths(const QString& root, const QList<SearchResult>& results) {
    QStringList paths;
    for (const SearchResult& result : results)
        paths << QDir(root).relativeFilePath(result.fullPath());
    paths.sort();
    return paths;
}

QByteArray be32(quint32 value) {
    QByteArray bytes(4, 0);
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A binary property list of the given objects, the first one at the top.
QByteArray binaryPropertyList(const QList<QByteArray>& objects, char referenceSize) {
    QByteArray data("bplist00");
    QByteArray offsets;
    for (const QByteArray& object : objects) {
        offsets += be32(quint32(data.size()));
        data += object;
    }
    QByteArray trailer(32, 0);
    trailer[6] = 4; // offset size
    trailer[7] = referenceSize;
    qToBigEndian<quint64>(quint64(objects.size()), trailer.data() + 8);
    qToBigEndian<quint64>(quint64(data.size()), trailer.data() + 24);
    return data + offsets + trailer;
}

// `depth` one-element arrays, each holding the next.
QByteArray nestedArrays(quint32 depth) {
    QList<QByteArray> objects;
    for (quint32 i = 1; i < depth; ++i)
        objects.append("\xA1" + be32(i));
    objects.append("\xA0");
    return binaryPropertyList(objects, 4);
}

// {URL: "https://example.com/bomb", more: a0} where each array ai holds
// a(i+1) twice: 35 objects, under 300 bytes, 2^30 nodes once expanded.
QByteArray sharedReferenceBomb() {
    const QByteArray url = "https://example.com/bomb";
    QList<QByteArray> objects{QByteArray("\xD2\x01\x03\x02\x04", 5), "\x53URL",
                              char(0x50 | 0xF) + QByteArray("\x10") + char(url.size()) + url,
                              "\x54more"};
    for (int i = 0; i < 30; ++i)
        objects.append(QByteArray("\xA2") + char(5 + i) + char(5 + i));
    objects.append(QByteArray("\xA0"));
    return binaryPropertyList(objects, 1);
}

// Entities that each expand to ten of the previous one.
QByteArray entityBomb() {
    QByteArray doctype = "<!DOCTYPE plist [<!ENTITY e0 \"aaaaaaaaaa\">";
    for (int i = 1; i < 10; ++i)
        doctype += "<!ENTITY e" + QByteArray::number(i) + " \"" +
                   QByteArray("&e" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    return "<?xml version=\"1.0\"?>" + doctype +
           "]><plist><dict><key>URL</key><string>https://x/&e9;</string></dict></plist>";
}

QByteArray deepXml(int depth) {
    return "<?xml version=\"1.0\"?><plist><dict><key>URL</key><string>https://x/</string>"
           "<key>a</key>" +
           QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) +
           "</dict></plist>";
}

// Case that does not come back letter by letter, suffixes the rules match, folders differing
// only in case, the root and no folder at all.
const QStringList kWords = {"Budget", "budget", "notes", "Ünïcode", "résumé", "x",
                            "a",      "url",    "app",   "Q4",      "İzmir",  "ǅemal"};
const QStringList kSuffixes = {".gsheet.url", ".url", ".app", ".pdf", ".PDF",
                               ".tar.gz",     "",     "",     ".",    ".Url"};
const QStringList kDirectories = {"/home/ana/Documents", "/home/ana/documents", "/", ""};

struct Generator {
    QRandomGenerator random;

    int below(int n) { return int(random.bounded(n)); }
    template <typename T> const T& pick(const QList<T>& list) {
        return list[below(int(list.size()))];
    }

    QString name() {
        QString text = pick(kWords);
        for (int i = below(3); i > 0; --i)
            text += (below(2) ? u' ' : u'-') + pick(kWords);
        return (below(10) == 0 ? "." : "") + text + pick(kSuffixes);
    }

    SearchResult result() {
        SearchResult r = test::pathResult(SearchResultKind(below(4)), pick(kDirectories),
                                          below(30) == 0 ? QString() : name(),
                                          below(8) == 0 ? -1 - below(3) : below(4) * below(20));
        if (below(10) == 0)
            r.id = 1 + below(100);
        if (r.kind == SearchResultKind::action) {
            r.action = SearchResultAction(below(6));
            if (below(2))
                r.actionURLString = QStringLiteral("https://example.org/") + name();
        }
        if (below(4) == 0)
            r.usageKey = QStringLiteral("https://Shared.example/") + QString::number(below(5));
        if (below(6) == 0) // an application as the desktop names it
            r.title = name();
        if (below(8) == 0)
            r.keywords = pick(kWords) + u';' + pick(kWords);
        return r;
    }

    QList<SearchResult> catalogue(int size) {
        QList<SearchResult> items;
        for (int i = 0; i < size; ++i) {
            if (items.isEmpty() || below(8) != 0) {
                items.append(result());
                continue;
            }
            // Same file under a path differing only in case, or a repeat.
            SearchResult copy = pick(items);
            if (below(2))
                copy.filename = copy.filename.toUpper();
            copy.openCount = below(30);
            items.append(copy);
        }
        return items;
    }

    QString query(const QList<SearchResult>& items) {
        const int choice = below(5);
        if (choice == 0)
            return QString();
        if (choice == 1 || items.isEmpty())
            return pick(choice == 1 ? kSuffixes : kWords).toLower().left(1 + below(8));
        const QString name = pick(items).filename.toLower();
        return name.mid(name.isEmpty() ? 0 : below(int(name.size())), 1 + below(8));
    }
};

QList<SearchResult> reference(const QList<SearchResult>& items, const QList<SearchResult>& extras,
                              const QString& query, const SearchRankingPreferences& prefs,
                              const QHash<QString, std::int64_t>& counts) {
    return filterAndSortPathResults(
        mergedUniqueByPath(items + extras), query, prefs,
        [&](const SearchResult& r, std::int64_t databaseCount) {
            return std::max(databaseCount, counts.value(r.usageKeyOrFullPath().toLower(), 0));
        });
}

} // namespace

class TestCatalogDiscovery : public QObject {
    Q_OBJECT

    QTemporaryDir m_folderTree;
    QList<SearchResult> m_folders;
    QTemporaryDir m_shortcutTree;
    QList<SearchResult> m_shortcuts;

private Q_SLOTS:
    void initTestCase() {
        const QString root = m_folderTree.path();
        QVERIFY(
            makeDirs(root, {"Projects/Launcher/src", "Projects/.hidden/Inner", "Work/LIBRARY/Deep",
                            "Work/Node_Modules/pkg", "Tools.app/Contents/MacOS",
                            "Photos.photoslibrary/originals", "d1/d2/d3/d4/d5/d6"}));
        QVERIFY(writeFile(root + "/Projects/readme.txt"));
        QVERIFY(QFile::link(root + "/Projects", root + "/Shortcut to Projects"));
        // A link back up the tree must not send the walk round in circles.
        QVERIFY(QFile::link(root, root + "/d1/loop"));
        m_folders = discoverFolders({root}, 5, defaultExcludedFolderNames()).toList();

        const QString s = m_shortcutTree.path();
        for (const char* file :
             {"LINK.WEBLOC", "Manual.PDF", ".secret.url", "Notes.webloc/inner.url",
              "Target/release/y.url", "Viewer.app/Contents/z.url", "a/b/c/d/e/depth6.url",
              "a/b/c/d/e/f/depth7.url"})
            QVERIFY(writeFile(s + u'/' + file));
        for (const auto& [name, content] : {std::pair("deep.webloc", nestedArrays(90000)),
                                            {"bomb.webloc", sharedReferenceBomb()},
                                            {"entities.webloc", entityBomb()},
                                            {"deep-xml.webloc", deepXml(100000)}})
            QVERIFY(writeFile(s + u'/' + name, content));
        // Empty: reading addresses is keyFromFile's.
        QVERIFY(writeFile(s + "/Start.url"));
        QVERIFY(QFile::link(s + "/Start.url", s + "/Linked.url"));
        QVERIFY(QFile::link(s + "/a", s + "/FolderLink.url"));
        QCOMPARE(::mkfifo(QFile::encodeName(s + "/pipe.url").constData(), 0600), 0);
        m_shortcuts =
            discoverShortcuts({s}, 6, defaultExcludedFolderNames(),
                              shortcutFileExtensions(baselineShortcutFileExtensions(), {".pdf"}));
    }

    void folderRules_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("listed");
        QTest::addRow("nested folder") << "Projects/Launcher/src" << true;
        QTest::addRow("hidden folder") << "Projects/.hidden" << false;
        QTest::addRow("excluded name in upper case") << "Work/LIBRARY" << false;
        QTest::addRow("inside a bundle") << "Tools.app/Contents" << false;
        QTest::addRow("other package is listed") << "Photos.photoslibrary" << true;
        QTest::addRow("package contents") << "Photos.photoslibrary/originals" << false;
        QTest::addRow("depth 5") << "d1/d2/d3/d4/d5" << true;
        QTest::addRow("depth 6") << "d1/d2/d3/d4/d5/d6" << false;
        QTest::addRow("link to a folder is listed") << "Shortcut to Projects" << true;
        QTest::addRow("link to a folder is not entered")
            << "Shortcut to Projects/Launcher" << false;
        QTest::addRow("nothing through a loop") << "d1/loop/Projects" << false;
    }

    void folderRules() {
        QFETCH(QString, path);
        QFETCH(bool, listed);
        const QString full = m_folderTree.path() + u'/' + path;
        const auto it = std::find_if(m_folders.cbegin(), m_folders.cend(),
                                     [&](const SearchResult& r) { return r.fullPath() == full; });
        QCOMPARE(it != m_folders.cend(), listed);
        if (listed) {
            QCOMPARE(it->id, stableNegativeID("folder:" + full));
            QVERIFY(it->kind == SearchResultKind::folder && !it->databaseID());
        }
    }

    void overlappingAndRepeatedRootsGiveOneRecord() {
        const QString root = m_folderTree.path();
        const QStringList roots{root + "/Projects", root + "//", root + "/Projects/",
                                root + "/missing", root + "/Projects/readme.txt"};
        const QList<SearchResult> results =
            discoverFolders(roots, 5, defaultExcludedFolderNames()).toList();
        QCOMPARE(relativePaths(root, results), relativePaths(root, m_folders));
        // The first root's walk wins: its children come first.
        QCOMPARE(results.first().directory, root + "/Projects");

        QTemporaryDir dir;
        QVERIFY(makeDirs(dir.path(), {"Case/Sub", "CASE/Sub", "CASE/Other"}));
        const QList<SearchResult> cased =
            discoverFolders({dir.path() + "/Case", dir.path() + "/CASE"}, 5, {}).toList();
        // Linux folders that differ by letter case are different folders.
        QCOMPARE(relativePaths(dir.path(), cased),
                 (QStringList{"CASE/Other", "CASE/Sub", "Case/Sub"}));
    }

    void rootsThatAreLinksOrUnusable() {
        const QString root = m_folderTree.path();
        QCOMPARE(
            relativePaths(root, discoverFolders({root + "/Shortcut to Projects/"}, 1, {}).toList()),
            QStringList{"Shortcut to Projects/Launcher"});
        QVERIFY(discoverFolders({"/nonexistent/trovi", QString()}, 5, {}).isEmpty());
        QVERIFY(discoverFolders({m_folderTree.path()}, 0, {}).isEmpty());
        QVERIFY(discoverAppBundles({m_folderTree.path() + "/Projects/readme.txt"}).isEmpty());
    }

    void shortcutRules_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("listed");
        QTest::addRow("upper-case webloc file") << "LINK.WEBLOC" << true;
        QTest::addRow("suffix from a ranking rule") << "Manual.PDF" << true;
        QTest::addRow("hidden file") << ".secret.url" << false;
        QTest::addRow("inside a folder named like a link") << "Notes.webloc/inner.url" << true;
        QTest::addRow("inside an excluded folder") << "Target/release/y.url" << false;
        QTest::addRow("inside a bundle") << "Viewer.app/Contents/z.url" << false;
        QTest::addRow("depth 6") << "a/b/c/d/e/depth6.url" << true;
        QTest::addRow("depth 7") << "a/b/c/d/e/f/depth7.url" << false;
        QTest::addRow("link to a shortcut file") << "Linked.url" << true;
        QTest::addRow("link to a folder") << "FolderLink.url" << false;
        QTest::addRow("named pipe") << "pipe.url" << false;
    }

    void shortcutRules() {
        QFETCH(QString, path);
        QFETCH(bool, listed);
        const QString full = m_shortcutTree.path() + u'/' + path;
        QCOMPARE(std::any_of(m_shortcuts.cbegin(), m_shortcuts.cend(),
                             [&](const SearchResult& r) { return r.fullPath() == full; }),
                 listed);
    }

    // Files under fixtures/shortcuts, else in the shortcut tree.
    void keyFromFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // empty: no key
        const auto row = [](const char* what, const char* name, const QString& expected) {
            QTest::newRow(what) << QString(name) << expected;
        };
        row("internet shortcut with CRLF lines", "a.url", "https://example.com/a");
        row("key in any case; value keeps its case and non-ASCII text", "b.URL",
            u"https://example.com/Café"_s);
        row("empty address", "f.url", "");
        row("key must start the line", "g.url", "");
        row("document link, suffix in upper case", "Sheet.GSHEET", "https://docs.example/s/2");
        row("other suffixes have no key", "notes.url.txt", "");
        row("document link, mixed case", "Plan.GDoc", "https://d/1");
        row("XML property list", "x.webloc", "https://example.com/x?a=1&b=2");
        row("binary property list", "binary.webloc", "https://example.com/binary");
        row("binary property list nested 90000 deep", "deep.webloc", "");
        // The address is still found: nothing but the top dictionary is read.
        row("binary arrays sharing references, 2^30 nodes expanded", "bomb.webloc",
            "https://example.com/bomb");
        row("XML with nested entity declarations", "entities.webloc", "");
        row("XML nested 100000 deep", "deep-xml.webloc", "");
        row("truncated binary property list", "cut.webloc", "");
        row("URL that is not a string", "int.webloc", "");
        row("unclosed XML", "open.webloc", "");
        row("missing file", "missing.url", "");
        row("folder named like a link", "Notes.webloc", "");
        // A pipe without a writer would block a plain read forever.
        row("named pipe", "pipe.url", "");
    }

    void keyFromFile() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QString fixture = TROVI_FIXTURES_DIR "/shortcuts/" + name;
        const QString path = QFile::exists(fixture) ? fixture : m_shortcutTree.filePath(name);
        QCOMPARE(shortcutUsageKey(path),
                 expected.isEmpty() ? std::nullopt : std::optional<QString>(expected));
    }

    void shortcutRootsFollowUserDirectories_data() {
        QTest::addColumn<QByteArray>("userDirs");
        QTest::addColumn<QStringList>("roots");
        const QStringList english{"Documents", "Desktop", "Downloads", "My Drive"};
        QTest::addRow("no file: English names") << QByteArray() << english;
        QTest::addRow("localised, absolute, escaped; missing key falls back")
            << QByteArray("# written by xdg-user-dirs-update\n"
                          "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                          "XDG_DOWNLOAD_DIR=\"@/Say \\\"hi\\\"\"\n")
            << QStringList{"Dokumente", "Desktop", "Say \"hi\"", "My Drive"};
        QTest::addRow("unquoted or relative values are ignored; home switches a folder off")
            << QByteArray("XDG_DOCUMENTS_DIR=$HOME/Dokumente\nXDG_DESKTOP_DIR=\"Bureau\"\n"
                          "XDG_DOWNLOAD_DIR=\"$HOME/\"\n")
            << QStringList{"Documents", "Desktop", "My Drive"};
    }

    void shortcutRootsFollowUserDirectories() {
        QFETCH(QByteArray, userDirs);
        QFETCH(QStringList, roots);
        QTemporaryDir home;
        QVERIFY(makeDirs(home.path(), {"Documents", "Desktop", "Downloads", "My Drive", "Dokumente",
                                       "Bureau", "Say \"hi\""}));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config"));
        if (!userDirs.isNull())
            QVERIFY(writeFile(home.path() + "/config/user-dirs.dirs",
                              userDirs.replace('@', QFile::encodeName(home.path()))));
        QStringList expected;
        for (const QString& root : roots)
            expected << home.path() + u'/' + root;
        QCOMPARE(defaultShortcutSearchRoots(home.path()), expected);
    }

    void pinnedFolders() {
        const QString root = m_folderTree.path();
        const std::optional<SearchResult> projects = pinnedFolderResult(root + "/Projects");
        QVERIFY(projects);
        QCOMPARE(projects->directory, root);
        QCOMPARE(projects->id, stableNegativeID("folder:" + root + "/Projects"));
        QVERIFY(!pinnedFolderResult(root + "/missing"));
        QVERIFY(!pinnedFolderResult(root + "/Projects/readme.txt"));
    }

    void namesThatAreNotUtf8StayApart() {
        QTemporaryDir dir;
        for (const char* name : {"/caf\xe9", "/caf\xe8"})
            QCOMPARE(::mkdir(QByteArray(QFile::encodeName(dir.path()) + name).constData(), 0700),
                     0);
        const QList<SearchResult> found = discoverFolders({dir.path()}, 1, {}).toList();
        QCOMPARE(found.size(), 2);
        for (const SearchResult& folder : found)
            QCOMPARE(::access(encodedPath(folder.fullPath()).constData(), F_OK), 0);
    }

    void pathCatalogAnswersExactlyLikeTheReference() {
        // A failure prints its seed; TROVI_TEST_SEED replays it.
        bool fixedSeed = false;
        const quint32 chosen = qEnvironmentVariable("TROVI_TEST_SEED").toUInt(&fixedSeed);
        const quint32 seed = fixedSeed ? chosen : QRandomGenerator::global()->generate();
        Generator g{QRandomGenerator(seed)};
        // Ninety names start with "backup." yet "old backup.7", opened most,
        // belongs first: no base name starts with the query.
        QList<SearchResult> backups;
        for (int i = 1; i <= 90; ++i)
            backups.append(test::pathResult(SearchResultKind::folder, "/srv",
                                            QStringLiteral("backup.%1").arg(i)));
        backups.append(test::pathResult(SearchResultKind::folder, "/srv", "old backup.7", 8));
        const SearchRankingPreferences noRules({});
        const auto found = PathCatalog::build(backups).filterAndSort("backup.", noRules, {});
        QCOMPARE(found, reference(backups, {}, "backup.", noRules, {}));
        QCOMPARE(found.first().filename, "old backup.7");
        for (int round = 0; round < 60; ++round) {
            // Some catalogues are big enough for a short query to have more than a
            // full list of names starting with it.
            const QList<SearchResult> items =
                g.catalogue(round % 5 == 0 ? 300 + g.below(500) : g.below(200));
            const PathCatalog catalogue = PathCatalog::build(items);
            for (int search = 0; search < 15; ++search) {
                QList<ExtensionBoostRule> rules;
                for (int i = g.below(5); i > 0; --i)
                    rules.append({QUuid::createUuid(), g.pick(kSuffixes).toLower(), g.below(100)});
                const SearchRankingPreferences prefs(rules);
                const QString query = g.query(items);
                QHash<QString, std::int64_t> counts{{"/nowhere/at/all", 7}};
                for (int i = items.isEmpty() ? 0 : g.below(12); i > 0; --i)
                    counts.insert(g.pick(items).usageKeyOrFullPath().toLower(), g.below(60) - 3);
                QList<SearchResult> extras;
                for (int i = g.below(2) == 0 ? g.below(6) : 0; i > 0; --i)
                    extras.append(g.below(2) && !items.isEmpty() ? g.pick(items) : g.result());
                const auto actual = catalogue.filterAndSort(query, prefs, counts, extras);
                QVERIFY2(actual == reference(items, extras, query, prefs, counts),
                         qPrintable(QStringLiteral("seed %1, query \"%2\"").arg(seed).arg(query)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogDiscovery)
#include "tst_catalogdiscovery.moc"
