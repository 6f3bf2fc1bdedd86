#include "launcher/core/NativePath.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        QVERIFY(makeDirs(root, {u"Projects/Launcher/src"_s, u"Projects/.hidden/Inner"_s,
                                u"Work/LIBRARY/Deep"_s, u"Work/Node_Modules/pkg"_s,
                                u"Tools.app/Contents/MacOS"_s, u"Photos.photoslibrary/originals"_s,
                                u"d1/d2/d3/d4/d5/d6"_s}));
        QVERIFY(writeFile(root + u"/Projects/readme.txt"_s));
        QVERIFY(QFile::link(root + u"/Projects"_s, root + u"/Shortcut to Projects"_s));
        // A link back up the tree must not send the walk round in circles.
        QVERIFY(QFile::link(root, root + u"/d1/loop"_s));
        m_folders = discoverFolders({root}, 5, defaultExcludedFolderNames());

        const QString s = m_shortcutTree.path();
        for (const QString& file :
             {u"LINK.WEBLOC"_s, u"Manual.PDF"_s, u".secret.url"_s, u"Notes.webloc/inner.url"_s,
              u"Target/release/y.url"_s, u"Viewer.app/Contents/z.url"_s, u"a/b/c/d/e/depth6.url"_s,
              u"a/b/c/d/e/f/depth7.url"_s})
            QVERIFY(writeFile(s + u'/' + file));
        QVERIFY(
            writeFile(s + u"/Start.url"_s, "[InternetShortcut]\r\nURL=https://example.com/\r\n"));
        QVERIFY(QFile::link(s + u"/Start.url"_s, s + u"/Linked.url"_s));
        QVERIFY(QFile::link(s + u"/a"_s, s + u"/FolderLink.url"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(s + u"/pipe.url"_s).constData(), 0600), 0);
        m_shortcuts = discoverShortcuts(
            {s}, 6, defaultExcludedFolderNames(),
            shortcutFileExtensions(baselineShortcutFileExtensions(), {u".pdf"_s}));
    }

    void folderRules_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("listed");
        QTest::addRow("nested folder") << "Projects/Launcher/src" << true;
        QTest::addRow("hidden folder") << "Projects/.hidden" << false;
        QTest::addRow("inside a hidden folder") << "Projects/.hidden/Inner" << false;
        QTest::addRow("excluded name in upper case") << "Work/LIBRARY" << false;
        QTest::addRow("excluded name in mixed case") << "Work/Node_Modules" << false;
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
            QCOMPARE(it->id, stableNegativeID(u"folder:"_s + full));
            QVERIFY(it->kind == SearchResultKind::folder && !it->databaseID());
        }
    }

    void overlappingAndRepeatedRootsGiveOneRecord() {
        const QString root = m_folderTree.path();
        const QStringList roots{root + u"/Projects"_s, root + u"//"_s, root + u"/Projects/"_s,
                                root + u"/missing"_s, root + u"/Projects/readme.txt"_s};
        const QList<SearchResult> results = discoverFolders(roots, 5, defaultExcludedFolderNames());
        QCOMPARE(relativePaths(root, results), relativePaths(root, m_folders));
        // The first root's walk wins: its children come first.
        QCOMPARE(results.first().directory, root + u"/Projects"_s);

        QTemporaryDir dir;
        QVERIFY(makeDirs(dir.path(), {u"Case/Sub"_s, u"CASE/Sub"_s, u"CASE/Other"_s}));
        const QList<SearchResult> cased =
            discoverFolders({dir.path() + u"/Case"_s, dir.path() + u"/CASE"_s}, 5, {});
        QCOMPARE(relativePaths(dir.path(), cased), (QStringList{u"CASE/Other"_s, u"Case/Sub"_s}));
    }

    void rootsThatAreLinksOrUnusable() {
        const QString root = m_folderTree.path();
        QCOMPARE(relativePaths(root, discoverFolders({root + u"/Shortcut to Projects/"_s}, 1, {})),
                 QStringList{u"Shortcut to Projects/Launcher"_s});
        QVERIFY(discoverFolders({u"/nonexistent/trovi"_s, QString()}, 5, {}).isEmpty());
        QVERIFY(discoverFolders({m_folderTree.path()}, 0, {}).isEmpty());
        QVERIFY(discoverAppBundles({m_folderTree.path() + u"/Projects/readme.txt"_s}).isEmpty());
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
            QVERIFY(result.kind == SearchResultKind::app);
            QCOMPARE(result.id, stableNegativeID(result.fullPath()));
        }
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

    void shortcutRecordsCarryTheirUrl() {
        const QString root = m_shortcutTree.path();
        QHash<QString, SearchResult> byName;
        for (const SearchResult& result : m_shortcuts)
            byName.insert(result.filename, result);
        const SearchResult start = byName.value(u"Start.url"_s);
        QCOMPARE(start.id, stableNegativeID(u"shortcut:"_s + root + u"/Start.url"_s));
        QCOMPARE(start.usageKey, std::optional<QString>(u"https://example.com/"_s));
        QCOMPARE(byName.value(u"Linked.url"_s).usageKey, start.usageKey);
        QCOMPARE(byName.value(u"Manual.PDF"_s).usageKey, std::optional<QString>());
    }

    void shortcutRootsFollowUserDirectories_data() {
        QTest::addColumn<QByteArray>("userDirs");
        QTest::addColumn<QStringList>("roots");
        const QStringList english{u"Documents"_s, u"Desktop"_s, u"Downloads"_s, u"My Drive"_s};
        QTest::addRow("no file: English names") << QByteArray() << english;
        QTest::addRow("localised, absolute, escaped; missing key falls back")
            << QByteArray("# written by xdg-user-dirs-update\n"
                          "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                          "XDG_DOWNLOAD_DIR=\"@/Say \\\"hi\\\"\"\n")
            << QStringList{u"Dokumente"_s, u"Desktop"_s, u"Say \"hi\""_s, u"My Drive"_s};
        QTest::addRow("unquoted or relative values are ignored; home switches a folder off")
            << QByteArray("XDG_DOCUMENTS_DIR=$HOME/Dokumente\nXDG_DESKTOP_DIR=\"Bureau\"\n"
                          "XDG_DOWNLOAD_DIR=\"$HOME/\"\n")
            << QStringList{u"Documents"_s, u"Desktop"_s, u"My Drive"_s};
    }

    void shortcutRootsFollowUserDirectories() {
        QFETCH(QByteArray, userDirs);
        QFETCH(QStringList, roots);
        QTemporaryDir home;
        QVERIFY(makeDirs(home.path(), {u"Documents"_s, u"Desktop"_s, u"Downloads"_s, u"My Drive"_s,
                                       u"Dokumente"_s, u"Bureau"_s, u"Say \"hi\""_s}));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + u"/config"_s));
        if (!userDirs.isNull())
            QVERIFY(writeFile(home.path() + u"/config/user-dirs.dirs"_s,
                              userDirs.replace('@', QFile::encodeName(home.path()))));
        QStringList expected;
        for (const QString& root : roots)
            expected << home.path() + u'/' + root;
        QCOMPARE(defaultShortcutSearchRoots(home.path()), expected);
    }

    void pinnedFolders() {
        const QString root = m_folderTree.path();
        const std::optional<SearchResult> projects = pinnedFolderResult(root + u"/Projects"_s);
        QVERIFY(projects);
        QCOMPARE(projects->directory, root);
        QCOMPARE(projects->id, stableNegativeID(u"folder:"_s + root + u"/Projects"_s));
        QVERIFY(!pinnedFolderResult(root + u"/missing"_s));
        QVERIFY(!pinnedFolderResult(root + u"/Projects/readme.txt"_s));
    }

    void namesThatAreNotUtf8StayApart() {
        QTemporaryDir dir;
        for (const char* name : {"/caf\xe9", "/caf\xe8"})
            QCOMPARE(::mkdir(QByteArray(QFile::encodeName(dir.path()) + name).constData(), 0700),
                     0);
        const QList<SearchResult> found = discoverFolders({dir.path()}, 1, {});
        QCOMPARE(found.size(), 2);
        for (const SearchResult& folder : found)
            QCOMPARE(::access(encodedPath(folder.fullPath()).constData(), F_OK), 0);
    }
};

QTEST_GUILESS_MAIN(TestCatalogDiscovery)
#include "tst_catalogdiscovery.moc"
