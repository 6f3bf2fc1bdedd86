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
        // Reading its address is the usage-key test's.
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
};

QTEST_GUILESS_MAIN(TestCatalogDiscovery)
#include "tst_catalogdiscovery.moc"
