#include "db/SqliteDatabase.h"
#include "launcher/engine/sources/browser/BrowserBookmarks.h"
#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/ChromiumBookmarks.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"
#include "tests/support/Files.h"
#include "tests/support/StderrCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace trovi;
using test::writeFile;

namespace {

QStringList described(const QList<BrowserBookmarkShortcut>& bookmarks) {
    QStringList out;
    for (const auto& b : bookmarks)
        out << b.title + u'|' + b.folderPath + u'|' + b.urlString;
    out.sort();
    return out;
}

} // namespace

class TestBrowserBookmarks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bookmarkFilesByDepthAndExactName() {
        QTemporaryDir root;
        for (const char* path :
             {"Default/Bookmarks", "Profile 1/Bookmarks", "a/b/c/Bookmarks", "a/b/c/d/Bookmarks",
              "Default/Bookmarks.bak", "Other/bookmarks", ".hidden/Bookmarks", "Bookmarks"})
            writeFile(root.filePath(path), "{}");
        QStringList found;
        for (const QString& file : discoverChromiumBookmarkFiles(root.path()))
            found << QDir(root.path()).relativeFilePath(file);
        found.sort();
        QCOMPARE(found, (QStringList{"Bookmarks", "Default/Bookmarks", "Profile 1/Bookmarks",
                                     "a/b/c/Bookmarks"}));
        QVERIFY(discoverChromiumBookmarkFiles(root.filePath("missing")).isEmpty());
    }

    void chromiumWalk() {
        QTemporaryDir root;
        // Nested, nameless, non-web and odd root entries.
        writeFile(root.filePath("Default/Bookmarks"),
                  test::readFile(TROVI_FIXTURES_DIR "/browser/Bookmarks"));
        writeFile(root.filePath("Profile 2/Bookmarks"), "{\"roots\": ");
        const auto bookmarks = discoverBrowserBookmarks({{"Chrome", root.path()}});
        QCOMPARE(described(bookmarks),
                 (QStringList{
                     "Deep|Other bookmarks|HTTP://deep.example.com/",
                     "Loose||https://loose.example.com/",
                     "Wiki|Bookmarks Bar / Work|https://wiki.example.com/",
                     "nameless.example.org|Bookmarks Bar / Work|https://nameless.example.org/x"}));
    }

    void firefoxHeldOpenByAWriter() {
        QTemporaryDir home;
        const QString root = home.filePath(".mozilla/firefox");
        writeFile(root + "/profiles.ini",
                  "[General]\nStartWithLastProfile=1\n\n"
                  "[Profile0]\nName=default\nIsRelative=1\nPath=abc.default\n\n"
                  "[Profile1]\nName=other\nIsRelative=0\nPath=" +
                      home.filePath("elsewhere").toUtf8() + "\n");
        QDir().mkpath(root + "/abc.default");
        // Firefox's way: write-ahead log, exclusive lock, nothing checkpointed.
        auto firefox =
            db::Connection::open(root + "/abc.default/places.sqlite", db::ReadWrite | db::Create);
        QVERIFY(firefox);
        const QString places = test::readFile(TROVI_FIXTURES_DIR "/browser/places.sql");
        QVERIFY(!firefox->execute("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;"
                                  "PRAGMA locking_mode=EXCLUSIVE; BEGIN;" +
                                  places + "COMMIT;"));
        const auto bookmarks =
            discoverBrowserBookmarks({{"Firefox", root, BrowserBookmarkFormat::firefox}});
        QCOMPARE(described(bookmarks),
                 (QStringList{"Pasta|Bookmarks Toolbar / Recipes|https://pasta.example/",
                              "menu.example|Bookmarks Menu|https://menu.example/a"}));
        QCOMPARE(bookmarks.first().browserName, "Firefox");

        // A bookmark added while Firefox runs shows up on the next refresh.
        FirefoxBookmarkCache cache;
        const QList<BrowserBookmarkSource> sources = {
            {"Firefox", root, BrowserBookmarkFormat::firefox}};
        QCOMPARE(discoverBrowserBookmarks(sources, &cache).size(), 2);
        QVERIFY(!firefox->execute("INSERT INTO moz_places VALUES (4,'https://new.example/',NULL);"
                                  "INSERT INTO moz_bookmarks VALUES (13,1,4,2,1,'New','');"));
        QCOMPARE(discoverBrowserBookmarks(sources, &cache).size(), 3);
    }

    // Bookmarks that are read through a private copy go missing when the copy
    // cannot be written; the user is told once instead of finding them gone.
    void fullTemporaryFolderIsSaid() {
        QTemporaryDir home;
        const QString placesPath = home.filePath("places.sqlite");
        {
            auto places = db::Connection::open(placesPath, db::ReadWrite | db::Create);
            QVERIFY(places);
            QVERIFY(!places->execute(test::readFile(TROVI_FIXTURES_DIR "/browser/places.sql")));
        }
        QVERIFY(QFileInfo(placesPath).size() > 4096);
        // A file-size limit fails the copy's writes like a full disk does.
        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        test::StderrCapture capture;
        struct rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto first = readFirefoxBookmarks(placesPath, "Firefox");
        const auto second = readFirefoxBookmarks(placesPath, "Firefox");
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        const QString said = capture.finish();
        QVERIFY(first.isEmpty() && second.isEmpty());
        QCOMPARE(said.count("Firefox bookmarks skipped: cannot copy " + placesPath), 1);
        QVERIFY2(said.contains("File too large"), qPrintable(said));
        // With room again, they are back.
        QCOMPARE(readFirefoxBookmarks(placesPath, "Firefox").size(), 2);
    }

    void searchScoresAndCut_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("titles");
        QTest::addRow("equal title, host prefix, folder, then address")
            << "wiki" << QStringList{"Wiki", "Team", "Handbook", "Search"};
        QTest::addRow("folder name alone") << "recipes" << QStringList{"Handbook"};
    }
    void searchScoresAndCut() {
        QFETCH(QString, query);
        QFETCH(QStringList, titles);
        const QList<BrowserBookmarkShortcut> bookmarks = {
            {"Chrome", "Search", "https://s.example/?q=wiki", "s.example", ""},
            {"Chrome", "Handbook", "https://h.example/", "h.example", "Bar / Wiki / Recipes"},
            {"Chrome", "Team", "https://wikipedia.org/", "wikipedia.org", ""},
            {"Chrome", "Wiki", "https://w.example/", "w.example", ""},
            {"Chrome", "Other", "https://o.example/", "o.example", ""},
        };
        QStringList got;
        for (const SearchResult& r : searchBrowserBookmarkActionResults(
                 query, BrowserBookmarkCatalog::build(bookmarks), {}))
            got << r.filename.section(QStringLiteral(" • "), 0, 0);
        QCOMPARE(got, titles);

        QList<BrowserBookmarkShortcut> many(80, bookmarks.first());
        QCOMPARE(searchBrowserBookmarkActionResults("wiki", BrowserBookmarkCatalog::build(many), {})
                     .size(),
                 50);
    }
};

QTEST_GUILESS_MAIN(TestBrowserBookmarks)
#include "tst_browserbookmarks.moc"
