// Bookmark catalogue at 10,000 bookmarks: 4 Chrome profiles of 2,000 and 2
// Firefox profiles of 1,000 in a temporary home. Times the refresh (finding
// and reading every file, Firefox through its private copy) and one search of
// the catalogue for a rare, a common and a missing word. Medians of 5 runs.
#include "db/SqliteDatabase.h"
#include "launcher/engine/sources/browser/BrowserBookmarks.h"
#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace trovi;

namespace {

const QStringList kWords = {"wiki",    "docs",   "team",   "recipes",  "travel", "invoice",
                            "news",    "github", "mail",   "calendar", "maps",   "music",
                            "project", "design", "budget", "school"};

QString word(int i) {
    return kWords[i % kWords.size()];
}

struct Home {
    QTemporaryDir dir;
    QList<BrowserBookmarkShortcut> catalogue;

    Home() {
        for (int profile = 0; profile < 4; ++profile) {
            QJsonArray folders;
            for (int f = 0; f < 20; ++f) {
                QJsonArray children;
                for (int b = 0; b < 100; ++b) {
                    const int n = profile * 2000 + f * 100 + b;
                    children.append(QJsonObject{
                        {"type", "url"},
                        {"name", QString(word(n) + " page " + QString::number(n))},
                        {"url", QString("https://" + word(n / 3) + QString::number(n % 97) +
                                        ".example/" + word(n / 7) + "/" + QString::number(n))}});
                }
                folders.append(QJsonObject{{"type", "folder"},
                                           {"name", QString(word(f) + " folder")},
                                           {"children", children}});
            }
            const QJsonObject roots{{"bookmark_bar", QJsonObject{{"type", "folder"},
                                                                 {"name", "Bookmarks Bar"},
                                                                 {"children", folders}}}};
            const QString path = dir.filePath(
                QStringLiteral(".config/google-chrome/Profile %1/Bookmarks").arg(profile));
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(QJsonDocument(QJsonObject{{"roots", roots}}).toJson());
        }
        QByteArray ini;
        for (int profile = 0; profile < 2; ++profile) {
            const QString folder =
                dir.filePath(QStringLiteral(".mozilla/firefox/p%1").arg(profile));
            QDir().mkpath(folder);
            ini += QStringLiteral("[Profile%1]\nIsRelative=1\nPath=p%1\n").arg(profile).toUtf8();
            auto db = db::Connection::open(folder + "/places.sqlite", db::ReadWrite | db::Create);
            (void)db->execute(
                "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT);"
                "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER,"
                " fk INTEGER, parent INTEGER, position INTEGER, title TEXT, guid TEXT);"
                "INSERT INTO moz_bookmarks VALUES (1,2,NULL,0,0,'','root________'),"
                " (2,2,NULL,1,0,'toolbar','toolbar_____'), (3,2,NULL,2,0,'Work','');"
                "BEGIN;");
            for (int b = 0; b < 1000; ++b) {
                (void)db->run("INSERT INTO moz_places VALUES (?1, ?2, NULL)",
                              {std::int64_t(b + 1),
                               QString("https://" + word(b) + ".example/" + QString::number(b))});
                (void)db->run("INSERT INTO moz_bookmarks VALUES (?1, 1, ?2, 3, ?2, ?3, '')",
                              {std::int64_t(b + 10), std::int64_t(b + 1),
                               QString(word(b / 5) + " bookmark " + QString::number(b))});
            }
            (void)db->execute("COMMIT;");
        }
        QFile profiles(dir.filePath(".mozilla/firefox/profiles.ini"));
        profiles.open(QIODevice::WriteOnly);
        profiles.write(ini);
    }

    QList<BrowserBookmarkShortcut> refresh() const {
        return discoverBrowserBookmarks(
            defaultBrowserBookmarkSources(dir.path(), dir.filePath(".config")));
    }
};

Home& home() {
    static Home h;
    return h;
}

void BM_BookmarkRefresh(benchmark::State& state) {
    qsizetype count = 0;
    for (auto _ : state)
        count = BrowserBookmarkCatalog::build(home().refresh()).size();
    state.counters["bookmarks"] = double(count);
}
BENCHMARK(BM_BookmarkRefresh)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

// The refresh every minute when no Firefox database changed since the last.
void BM_BookmarkRefreshUnchanged(benchmark::State& state) {
    FirefoxBookmarkCache cache;
    const auto sources =
        defaultBrowserBookmarkSources(home().dir.path(), home().dir.filePath(".config"));
    discoverBrowserBookmarks(sources, &cache);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            BrowserBookmarkCatalog::build(discoverBrowserBookmarks(sources, &cache)).size());
}
BENCHMARK(BM_BookmarkRefreshUnchanged)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_BookmarkSearch(benchmark::State& state, const char* query) {
    static const BrowserBookmarkCatalog catalogue = BrowserBookmarkCatalog::build(home().refresh());
    const LearnedCountLookup noUse = [](const SearchResult&) { return std::int64_t(0); };
    qsizetype rows = 0;
    for (auto _ : state)
        rows =
            searchBrowserBookmarkActionResults(QString::fromLatin1(query), catalogue, noUse).size();
    state.counters["rows"] = double(rows);
    state.counters["catalogue"] = double(catalogue.size());
}
BENCHMARK_CAPTURE(BM_BookmarkSearch, rare, "page 4242")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(BM_BookmarkSearch, common, "wiki")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK_CAPTURE(BM_BookmarkSearch, missing, "zzqx")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace

BENCHMARK_MAIN();
