// Is a search answered at its normal speed while a full catalogue refresh
// runs? Times searches over 100k catalogue items first on an idle engine, then
// while the builders walk a large generated tree, and prints both medians.
//
// Usage: bench_refresh_contention [TREE_ROOT]   (a tree is generated when absent)

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace trovi;

namespace {

QList<SearchResult> syntheticCatalogue(int count, SearchResultKind kind, const QString& suffix) {
    static const char* words[] = {"report", "notes",   "budget", "invoice", "project",
                                  "photos", "music",   "backup", "draft",   "meeting",
                                  "design", "archive", "travel", "taxes"};
    QRandomGenerator rng(42);
    QList<SearchResult> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        SearchResult r;
        r.kind = kind;
        r.directory = QStringLiteral("/home/user/%1/%2").arg(words[rng.bounded(14)]).arg(i % 997);
        r.filename = QStringLiteral("%1 %2 %3%4")
                         .arg(words[rng.bounded(14)], words[rng.bounded(14)])
                         .arg(i)
                         .arg(suffix);
        r.id = stableNegativeID(r.directory + u'/' + r.filename);
        items.append(r);
    }
    return items;
}

void generateTree(const QString& root, int folders) {
    QRandomGenerator rng(7);
    QStringList level{root};
    int made = 0;
    while (made < folders) {
        QStringList next;
        for (const QString& parent : level) {
            for (int i = 0; i < 12 && made < folders; ++i, ++made) {
                const QString path =
                    parent + QStringLiteral("/dir%1-%2").arg(i).arg(rng.bounded(1000));
                QDir().mkpath(path);
                next.append(path);
            }
        }
        level = next;
    }
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0.0 : v[v.size() / 2];
}

QList<double> timeSearches(DatabaseManager& m, int rounds) {
    static const char* queries[] = {"r",      "no",      "bud",      "invo",
                                    "projec", "meeting", "archive2", "tax"};
    QList<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        m.search(QString::fromLatin1(queries[i % 8]), false);
        times.append(double(t.nsecsElapsed()) / 1e6);
    }
    return times;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    QString treeRoot =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path() + QStringLiteral("/tree");
    if (argc <= 1) {
        std::printf("generating a tree of 60000 folders...\n");
        generateTree(treeRoot, 60000);
    }

    InMemoryPreferenceStore preferences;
    DatabaseManagerConfiguration config = DatabaseManagerConfiguration::standard(temp.path(), true);
    config.folderSearchRoots = {treeRoot};
    config.appSearchRoots = {treeRoot};
    config.shortcutSearchRoots = {treeRoot};
    config.folderSearchMaxDepth = 8;
    config.pinnedFolderPaths.clear();
    DatabaseManagerServices services;
    services.preferences = &preferences;
    services.diagnostics = [](const QString&) {};
    DatabaseManager manager(config, services);

    // Idle: every catalogue is fresh, so searches schedule nothing.
    manager.refreshCatalogsNow();
    manager.setCatalogs(syntheticCatalogue(30000, SearchResultKind::app, QStringLiteral(".app")),
                        syntheticCatalogue(40000, SearchResultKind::folder, QString()),
                        syntheticCatalogue(30000, SearchResultKind::file, QStringLiteral(".url")));
    const QList<double> idle = timeSearches(manager, 400);

    // Busy: make every catalogue stale and start the background refresh; the
    // searches below run while its builders walk the tree three times.
    DatabaseManager busyManager(config, services);
    busyManager.setCatalogs(
        syntheticCatalogue(30000, SearchResultKind::app, QStringLiteral(".app")),
        syntheticCatalogue(40000, SearchResultKind::folder, QString()),
        syntheticCatalogue(30000, SearchResultKind::file, QStringLiteral(".url")));
    busyManager.scheduleBackgroundCacheRefreshIfNeeded();
    QList<double> busy;
    QElapsedTimer wall;
    wall.start();
    // Events are not processed here, so the refresh cannot be applied while
    // we measure; the builders keep walking on their own thread meanwhile.
    while (busy.size() < 400)
        busy += timeSearches(busyManager, 8);
    const double busyWindowMs = double(wall.elapsed());
    QElapsedTimer refresh;
    refresh.start();
    while (busyManager.isBackgroundRefreshInFlight())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::printf("search over 100000 catalogue items, %lld searches each\n",
                static_cast<long long>(idle.size()));
    std::printf("  idle engine:           median %.3f ms\n", median(idle));
    std::printf("  during a full refresh: median %.3f ms (searches took %.0f ms; the refresh went "
                "on %.0f ms after)\n",
                median(busy), busyWindowMs, double(refresh.elapsed()));
    std::printf("  ratio busy/idle: %.2f\n", median(busy) / median(idle));
    return 0;
}
