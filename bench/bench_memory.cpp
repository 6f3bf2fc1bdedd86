// Idle memory of the engine's state at 10k and 100k catalogue items: the
// resident set before and after an engine takes in the catalogues (the lists
// it is given are its own afterwards) and has answered one search, with freed
// memory handed back to the system first. Reports megabytes and bytes per item.
#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"

#include "SyntheticCatalogues.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

using namespace trovi;

namespace {

// VmRSS of this process in bytes, after freed memory has gone back.
double residentBytes() {
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() * 1024;
    return 0;
}

void BM_IdleEngineMemory(benchmark::State& state) {
    const int total = int(state.range(0));
    double perItem = 0;
    double megabytes = 0;
    for (auto _ : state) {
        QTemporaryDir home;
        InMemoryPreferenceStore preferences;
        DatabaseManagerConfiguration config =
            DatabaseManagerConfiguration::standard(home.path(), /*isRunningUnitTests*/ true);
        config.backgroundRefreshEnabled = false;
        const double before = residentBytes();
        auto manager = [&] {
            DatabaseManagerServices services;
            services.preferences = &preferences;
            services.diagnostics = [](const QString&) {};
            auto m = std::make_unique<DatabaseManager>(config, std::move(services));
            Catalogues c = makeCatalogues(total);
            m->setCatalogs(std::move(c.apps), std::move(c.folders), std::move(c.shortcuts));
            benchmark::DoNotOptimize(m->search(QStringLiteral("re"), false));
            return m;
        }();
        const double after = residentBytes();
        megabytes = (after - before) / (1024 * 1024);
        perItem = (after - before) / total;
        manager.reset();
    }
    state.counters["rss_MB"] = megabytes;
    state.counters["bytes_per_item"] = perItem;
}

} // namespace

BENCHMARK(BM_IdleEngineMemory)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
