#include "launcher/engine/CatalogDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace trovi;
using namespace Qt::StringLiterals;

namespace {

bool makeDirs(const QString& root, const QStringList& relativePaths) {
    for (const QString& relative : relativePaths)
        if (!QDir(root).mkpath(relative))
            return false;
    return true;
}

bool writeFile(const QString& path, const QByteArray& content = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QStringList fullPaths(const QList<SearchResult>& results) {
    QStringList paths;
    for (const SearchResult& result : results)
        paths << result.fullPath();
    return paths;
}

QStringList relativePaths(const QString& root, const QList<SearchResult>& results) {
    QStringList paths;
    for (const SearchResult& result : results)
        paths << QDir(root).relativeFilePath(result.fullPath());
    paths.sort();
    return paths;
}

} // namespace

class TestCatalogDiscovery : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folderTree;
    QList<SearchResult> m_folders;
    QTemporaryDir m_shortcutTree;
    QList<SearchResult> m_shortcuts;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_folderTree.isValid());
        const QString root = m_folderTree.path();
        QVERIFY(makeDirs(root, {
                                   u"Projects/Launcher/src"_s,
                                   u"Projects/.hidden/Inner"_s,
                                   u"Projects/.git/objects"_s,
                                   u"Work/Library/Caches"_s,
                                   u"Work/LIBRARY/Deep"_s,
                                   u"Work/Node_Modules/pkg"_s,
                                   u"Work/Build/out"_s,
                                   u"Tools.app/Contents/MacOS"_s,
                                   u"Photos.photoslibrary/originals"_s,
                                   u"Notes.webloc"_s,
                                   u"d1/d2/d3/d4/d5/d6/d7"_s,
                               }));
        QVERIFY(writeFile(root + u"/Projects/readme.txt"_s));
        QVERIFY(QFile::link(root + u"/Projects"_s, root + u"/Shortcut to Projects"_s));
        QVERIFY(QFile::link(root + u"/nowhere"_s, root + u"/Dangling"_s));
        // A link back up the tree must not send the walk round in circles.
        QVERIFY(QFile::link(root, root + u"/d1/loop"_s));
        m_folders = discoverFolders({root}, 5, defaultExcludedFolderNames());

        QVERIFY(m_shortcutTree.isValid());
        const QString s = m_shortcutTree.path();
        QVERIFY(writeFile(s + u"/LINK.WEBLOC"_s));
        QVERIFY(
            writeFile(s + u"/Start.url"_s, "[InternetShortcut]\r\nURL=https://example.com/\r\n"));
        QVERIFY(writeFile(s + u"/Manual.PDF"_s));
        QVERIFY(writeFile(s + u"/notes.txt"_s));
        QVERIFY(writeFile(s + u"/.secret.url"_s));
        QVERIFY(writeFile(s + u"/.hidden/inside.url"_s));
        QVERIFY(writeFile(s + u"/Notes.webloc/inner.url"_s));
        QVERIFY(writeFile(s + u"/node_modules/pkg/x.url"_s));
        QVERIFY(writeFile(s + u"/Target/release/y.url"_s));
        QVERIFY(writeFile(s + u"/Viewer.app/Contents/z.url"_s));
        QVERIFY(writeFile(s + u"/a/b/c/d/e/depth6.url"_s));
        QVERIFY(writeFile(s + u"/a/b/c/d/e/f/depth7.url"_s));
        QVERIFY(QFile::link(s + u"/Start.url"_s, s + u"/Linked.url"_s));
        QVERIFY(QFile::link(s + u"/gone.url"_s, s + u"/Dangling.url"_s));
        QVERIFY(QFile::link(s + u"/a"_s, s + u"/FolderLink.url"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(s + u"/pipe.url"_s).constData(), 0600), 0);
        m_shortcuts = discoverShortcuts(
            {s}, 6, defaultExcludedFolderNames(),
            shortcutFileExtensions(baselineShortcutFileExtensions(), {u".pdf"_s}));
    }

    void folderRules_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("listed");
        QTest::addRow("plain folder") << "Projects" << true;
        QTest::addRow("nested folder") << "Projects/Launcher/src" << true;
        QTest::addRow("hidden folder") << "Projects/.hidden" << false;
        QTest::addRow("inside a hidden folder") << "Projects/.hidden/Inner" << false;
        QTest::addRow("excluded .git") << "Projects/.git/objects" << false;
        QTest::addRow("Library") << "Work/Library" << false;
        QTest::addRow("inside Library") << "Work/Library/Caches" << false;
        QTest::addRow("LIBRARY in upper case") << "Work/LIBRARY" << false;
        QTest::addRow("inside LIBRARY") << "Work/LIBRARY/Deep" << false;
        QTest::addRow("node_modules in mixed case") << "Work/Node_Modules/pkg" << false;
        QTest::addRow("Build in mixed case") << "Work/Build" << false;
        QTest::addRow("application bundle") << "Tools.app" << false;
        QTest::addRow("inside a bundle") << "Tools.app/Contents" << false;
        QTest::addRow("other package is listed") << "Photos.photoslibrary" << true;
        QTest::addRow("package contents") << "Photos.photoslibrary/originals" << false;
        QTest::addRow("folder with a link suffix") << "Notes.webloc" << true;
        QTest::addRow("depth 5") << "d1/d2/d3/d4/d5" << true;
        QTest::addRow("depth 6") << "d1/d2/d3/d4/d5/d6" << false;
        QTest::addRow("depth 7") << "d1/d2/d3/d4/d5/d6/d7" << false;
        QTest::addRow("file") << "Projects/readme.txt" << false;
        QTest::addRow("link to a folder is listed") << "Shortcut to Projects" << true;
        QTest::addRow("link to a folder is not entered")
            << "Shortcut to Projects/Launcher" << false;
        QTest::addRow("dangling link") << "Dangling" << false;
        QTest::addRow("link back to the root") << "d1/loop" << true;
        QTest::addRow("nothing through the loop") << "d1/loop/Projects" << false;
    }

    void folderRules() {
        QFETCH(QString, path);
        QFETCH(bool, listed);
        const QString full = m_folderTree.path() + u'/' + path;
        QCOMPARE(fullPaths(m_folders).contains(full), listed);
    }

    void folderRecordShape() {
        const QString root = m_folderTree.path();
        const QString full = root + u"/Projects/Launcher"_s;
        const auto it = std::find_if(m_folders.cbegin(), m_folders.cend(),
                                     [&](const SearchResult& r) { return r.fullPath() == full; });
        QVERIFY(it != m_folders.cend());
        SearchResult expected;
        expected.id = stableNegativeID(u"folder:"_s + full);
        expected.kind = SearchResultKind::folder;
        expected.filename = u"Launcher"_s;
        expected.directory = root + u"/Projects"_s;
        QCOMPARE(*it, expected);
        QVERIFY(!it->databaseID());
    }

    void folderWalkIsPreOrderWithinEachRoot() {
        // A folder always comes before everything inside it.
        const QStringList paths = fullPaths(m_folders);
        for (qsizetype i = 0; i < paths.size(); ++i)
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY2(!paths[j].startsWith(paths[i] + u'/'), qPrintable(paths[j]));
    }

    void overlappingAndRepeatedRootsGiveOneRecord() {
        const QString root = m_folderTree.path();
        const QStringList roots{root + u"/Projects"_s, root + u"//"_s, root + u"/Projects/"_s,
                                root + u"/missing"_s, root + u"/Projects/readme.txt"_s};
        const QList<SearchResult> results = discoverFolders(roots, 5, defaultExcludedFolderNames());
        const QStringList paths = fullPaths(results);
        QCOMPARE(paths.count(root + u"/Projects/Launcher"_s), 1);
        QCOMPARE(paths.size(), QSet<QString>(paths.cbegin(), paths.cend()).size());
        QCOMPARE(relativePaths(root, results), relativePaths(root, m_folders));
        // The first root's walk wins: its children come first.
        QCOMPARE(results.first().directory, root + u"/Projects"_s);
    }

    void caseVariantsGiveOneRecord() {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(makeDirs(root, {u"Case/Sub"_s, u"CASE/Sub"_s, u"CASE/Other"_s}));
        const QList<SearchResult> results =
            discoverFolders({root + u"/Case"_s, root + u"/CASE"_s}, 5, {});
        QCOMPARE(relativePaths(root, results), (QStringList{u"CASE/Other"_s, u"Case/Sub"_s}));
    }

    void excludedNamesAreComparedLowerCased() {
        QTemporaryDir dir;
        QVERIFY(makeDirs(dir.path(), {u"Keep"_s, u"SkipMe/Inner"_s}));
        const QList<SearchResult> results = discoverFolders({dir.path()}, 5, {u"SKIPME"_s});
        QCOMPARE(relativePaths(dir.path(), results), QStringList{u"Keep"_s});
    }

    void emptyOrUnusableRootsGiveNothing() {
        QVERIFY(discoverFolders({}, 5, {}).isEmpty());
        QVERIFY(discoverFolders({u"/nonexistent/trovi"_s, QString()}, 5, {}).isEmpty());
        QVERIFY(discoverFolders({m_folderTree.path()}, 0, {}).isEmpty());
        QVERIFY(discoverAppBundles({m_folderTree.path() + u"/Projects/readme.txt"_s}).isEmpty());
        QVERIFY(discoverShortcuts({u"/nonexistent/trovi"_s}, 6, {}, {u"url"_s}).isEmpty());
    }

    void appBundles() {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(makeDirs(root, {u"Calculator.app/Contents/Helpers/Inner.app"_s,
                                u".Hidden.app/Contents"_s, u".hiddenFolder/Secret.app"_s,
                                u"Utilities/Terminal.APP"_s, u"Kit.framework/Versions/Tool.app"_s,
                                u"Library/Deep/a/b/c/d/e/f/Far.app"_s}));
        QVERIFY(writeFile(root + u"/Alias.app"_s));
        const QList<SearchResult> results = discoverAppBundles({root, root + u"/"_s});
        QCOMPARE(relativePaths(root, results),
                 (QStringList{u".Hidden.app"_s, u"Alias.app"_s, u"Calculator.app"_s,
                              u"Library/Deep/a/b/c/d/e/f/Far.app"_s, u"Utilities/Terminal.APP"_s}));
        for (const SearchResult& result : results) {
            QCOMPARE(toString(result.kind), u"app"_s);
            QCOMPARE(result.id, stableNegativeID(result.fullPath()));
            QVERIFY(!result.usageKey);
        }
        const auto calculator = std::find_if(results.cbegin(), results.cend(), [](const auto& r) {
            return r.filename == u"Calculator.app";
        });
        QVERIFY(calculator != results.cend());
        QCOMPARE(calculator->directory, root);
    }

    void shortcutRules_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("listed");
        QTest::addRow("upper-case webloc file") << "LINK.WEBLOC" << true;
        QTest::addRow("url file") << "Start.url" << true;
        QTest::addRow("suffix from a ranking rule") << "Manual.PDF" << true;
        QTest::addRow("other suffix") << "notes.txt" << false;
        QTest::addRow("hidden file") << ".secret.url" << false;
        QTest::addRow("inside a hidden folder") << ".hidden/inside.url" << false;
        QTest::addRow("folder named like a link") << "Notes.webloc" << false;
        QTest::addRow("inside a folder named like a link") << "Notes.webloc/inner.url" << true;
        QTest::addRow("inside node_modules") << "node_modules/pkg/x.url" << false;
        QTest::addRow("inside Target") << "Target/release/y.url" << false;
        QTest::addRow("inside a bundle") << "Viewer.app/Contents/z.url" << false;
        QTest::addRow("depth 6") << "a/b/c/d/e/depth6.url" << true;
        QTest::addRow("depth 7") << "a/b/c/d/e/f/depth7.url" << false;
        QTest::addRow("link to a link file") << "Linked.url" << true;
        QTest::addRow("dangling link") << "Dangling.url" << false;
        QTest::addRow("link to a folder") << "FolderLink.url" << false;
        QTest::addRow("named pipe") << "pipe.url" << false;
    }

    void shortcutRules() {
        QFETCH(QString, path);
        QFETCH(bool, listed);
        const QString full = m_shortcutTree.path() + u'/' + path;
        QCOMPARE(fullPaths(m_shortcuts).contains(full), listed);
    }

    void shortcutRecordShape() {
        const QString root = m_shortcutTree.path();
        QHash<QString, SearchResult> byName;
        for (const SearchResult& result : m_shortcuts)
            byName.insert(result.filename, result);
        const SearchResult start = byName.value(u"Start.url"_s);
        QCOMPARE(toString(start.kind), u"file"_s);
        QCOMPARE(start.id, stableNegativeID(u"shortcut:"_s + root + u"/Start.url"_s));
        QCOMPARE(start.directory, root);
        QCOMPARE(start.usageKey, std::optional<QString>(u"https://example.com/"_s));
        QCOMPARE(byName.value(u"Linked.url"_s).usageKey, start.usageKey);
        QVERIFY(byName.contains(u"LINK.WEBLOC"_s));
        QCOMPARE(byName.value(u"LINK.WEBLOC"_s).usageKey, std::optional<QString>());
        QCOMPARE(byName.value(u"Manual.PDF"_s).usageKey, std::optional<QString>());
        QCOMPARE(start.openCount, 0);
        QVERIFY(!start.databaseID());
    }

    void shortcutSuffixSet_data() {
        QTest::addColumn<QStringList>("ruleSuffixes");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("baseline only") << QStringList() << QStringList{u"url"_s, u"webloc"_s};
        QTest::addRow("only dots add nothing")
            << QStringList{u"..."_s, u""_s} << QStringList{u"url"_s, u"webloc"_s};
        QTest::addRow("last piece, lower-cased")
            << QStringList{u".Tar.GZ"_s} << QStringList{u"gz"_s, u"url"_s, u"webloc"_s};
        QTest::addRow("without a dot")
            << QStringList{u"PDF"_s} << QStringList{u"pdf"_s, u"url"_s, u"webloc"_s};
        QTest::addRow("empty pieces dropped")
            << QStringList{u"tar."_s, u"..a..b"_s}
            << QStringList{u"b"_s, u"tar"_s, u"url"_s, u"webloc"_s};
    }

    void shortcutSuffixSet() {
        QFETCH(QStringList, ruleSuffixes);
        QFETCH(QStringList, expected);
        const QSet<QString> set =
            shortcutFileExtensions(baselineShortcutFileExtensions(), ruleSuffixes);
        QStringList sorted(set.cbegin(), set.cend());
        sorted.sort();
        QCOMPARE(sorted, expected);
    }

    void defaultRoots() {
        QTemporaryDir home;
        QVERIFY(makeDirs(home.path(), {u"Documents"_s, u"My Drive"_s}));
        QVERIFY(writeFile(home.path() + u"/Downloads"_s)); // exists, though not a folder
        QCOMPARE(defaultShortcutSearchRoots(home.path() + u'/'),
                 (QStringList{home.path() + u"/Documents"_s, home.path() + u"/Downloads"_s,
                              home.path() + u"/My Drive"_s}));
        QCOMPARE(defaultAppSearchRoots(u"/home/ada/"_s),
                 (QStringList{u"/Applications"_s, u"/System/Applications"_s,
                              u"/System/Cryptexes/App/System/Applications"_s,
                              u"/home/ada/Applications"_s}));
        QCOMPARE(defaultExcludedFolderNames().size(), 13);
    }

    void pinnedFolders() {
        const QString root = m_folderTree.path();
        const std::optional<SearchResult> projects = pinnedFolderResult(root + u"/Projects"_s);
        QVERIFY(projects);
        QCOMPARE(toString(projects->kind), u"folder"_s);
        QCOMPARE(projects->filename, u"Projects"_s);
        QCOMPARE(projects->directory, root);
        QCOMPARE(projects->id, stableNegativeID(u"folder:"_s + root + u"/Projects"_s));
        QCOMPARE(projects->openCount, 0);
        QVERIFY(!pinnedFolderResult(root + u"/missing"_s));
        QVERIFY(!pinnedFolderResult(root + u"/Projects/readme.txt"_s));
    }
};

QTEST_GUILESS_MAIN(TestCatalogDiscovery)
#include "tst_catalogdiscovery.moc"
