// Catalogue walks over a generated folder tree. With --walk-root=DIR it
// instead walks DIR the way the folder catalogue does (depth 5, the default
// exclusions) --runs=N times and prints each time, for bench/compare_walk.sh;
// with --apps-dir=DIR it reads the desktop entries there as the application
// catalogue does, for bench/compare_desktop_entries.sh.

#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A home-like tree: 6 folders per level down to depth 4, each with a file and
// a link file, plus hidden and excluded folders that the walk must cut.
void makeTree(const QString& dir, int depth) {
    QFile(dir + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    QFile link(dir + QStringLiteral("/link.url"));
    if (link.open(QIODevice::WriteOnly))
        link.write("[InternetShortcut]\nURL=https://example.com/\n");
    if (depth == 0)
        return;
    QDir(dir).mkpath(QStringLiteral(".git/objects/aa"));
    QDir(dir).mkpath(QStringLiteral("node_modules/pkg/lib"));
    for (int i = 0; i < 6; ++i) {
        const QString child = dir + QStringLiteral("/Folder %1").arg(i);
        QDir().mkdir(child);
        makeTree(child, depth - 1);
    }
}

QString sharedTree() {
    static QTemporaryDir dir;
    static const bool made = [] {
        makeTree(dir.path(), 4);
        return true;
    }();
    (void)made;
    return dir.path();
}

void BM_discoverFolders(benchmark::State& state) {
    const QStringList roots{sharedTree()};
    const QSet<QString> excluded = trovi::defaultExcludedFolderNames();
    std::size_t count = 0;
    for (auto _ : state) {
        const auto results =
            trovi::discoverFolders(roots, trovi::defaultFolderSearchMaxDepth, excluded);
        count = std::size_t(results.size());
        benchmark::DoNotOptimize(results);
    }
    state.counters["folders"] = double(count);
}
BENCHMARK(BM_discoverFolders)->Unit(benchmark::kMillisecond);

void BM_discoverShortcuts(benchmark::State& state) {
    const QStringList roots{sharedTree()};
    const QSet<QString> excluded = trovi::defaultExcludedFolderNames();
    const QSet<QString> extensions = trovi::baselineShortcutFileExtensions();
    std::size_t count = 0;
    for (auto _ : state) {
        const auto results = trovi::discoverShortcuts(roots, trovi::defaultShortcutSearchMaxDepth,
                                                      excluded, extensions);
        count = std::size_t(results.size());
        benchmark::DoNotOptimize(results);
    }
    state.counters["shortcuts"] = double(count);
}
BENCHMARK(BM_discoverShortcuts)->Unit(benchmark::kMillisecond);

int walkRootMode(const QString& root, int runs, bool apps) {
    const QSet<QString> excluded = trovi::defaultExcludedFolderNames();
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const qsizetype count =
            apps ? trovi::platform::discoverDesktopApplications({root}).size()
                 : trovi::discoverFolders({root}, trovi::defaultFolderSearchMaxDepth, excluded)
                       .size();
        const auto end = std::chrono::steady_clock::now();
        std::printf("run %d ms %.3f count %lld\n", run,
                    std::chrono::duration<double, std::milli>(end - start).count(),
                    static_cast<long long>(count));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QString root;
    bool apps = false;
    int runs = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--walk-root=", 12) == 0)
            root = QFile::decodeName(argv[i] + 12);
        else if (std::strncmp(argv[i], "--apps-dir=", 11) == 0) {
            root = QFile::decodeName(argv[i] + 11);
            apps = true;
        } else if (std::strncmp(argv[i], "--runs=", 7) == 0)
            runs = std::max(1, std::atoi(argv[i] + 7));
    }
    if (!root.isEmpty())
        return walkRootMode(root, runs, apps);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
