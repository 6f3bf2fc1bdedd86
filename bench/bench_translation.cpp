// Translation rows with the local helper (the stand-in Argos package, so the
// figures are the launcher's own cost, not a model's): from the first search
// of a new text to its refreshed rows with the helper already warm, and what a
// translation still pending costs an unrelated search.

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/ArgosStandIn.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace trovi;

namespace {

struct Engine {
    QTemporaryDir home;
    InMemoryPreferenceStore preferences;
    std::unique_ptr<DatabaseManager> manager;

    Engine() {
        DatabaseManagerConfiguration config =
            DatabaseManagerConfiguration::standard(home.path(), /*isRunningUnitTests*/ true);
        config.backgroundRefreshEnabled = false;
        DatabaseManagerServices services;
        services.preferences = &preferences;
        manager = std::make_unique<DatabaseManager>(config, std::move(services));
        QList<SearchResult> apps;
        for (int i = 0; i < 5000; ++i) {
            SearchResult app;
            app.kind = SearchResultKind::app;
            app.directory = "/usr/share/applications";
            app.filename = QStringLiteral("Application %1 notes").arg(i);
            app.id = stableNegativeID(app.filename);
            apps.append(app);
        }
        manager->setCatalogs(apps, {}, {});
    }

    void settle() {
        while (manager->hasPendingLookups())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
};

Engine& engine() {
    static Engine instance;
    return instance;
}

int counter = 0;

void BM_FirstTranslationToRefreshedRows(benchmark::State& state) {
    Engine& e = engine();
    // Warm: the helper is running and has loaded its pair.
    e.manager->search("cc warm", false);
    e.settle();
    for (auto _ : state) {
        const QString query = QStringLiteral("cc word%1").arg(++counter);
        QElapsedTimer timer;
        timer.start();
        e.manager->search(query, false);
        e.settle();
        const QList<SearchResult> rows = e.manager->search(query, false);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (rows.isEmpty() || rows.first().action != SearchResultAction::copyToClipboard)
            state.SkipWithError("no translation row");
    }
}

void BM_UnrelatedSearch(benchmark::State& state) {
    Engine& e = engine();
    if (state.range(0) == 0)
        e.settle();
    else if (!e.manager->hasPendingLookups())
        e.manager->search(QStringLiteral("cc slow%1").arg(++counter), false); // 2.5 s each way
    if (e.manager->hasPendingLookups() != (state.range(0) == 1))
        state.SkipWithError("pending state not as wanted");
    for (auto _ : state) {
        e.manager->invalidateQueryResultCache();
        benchmark::DoNotOptimize(e.manager->search("notes 12", false));
    }
    state.SetLabel(state.range(0) == 1 ? "translation pending" : "nothing pending");
}

} // namespace

BENCHMARK(BM_FirstTranslationToRefreshedRows)
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnrelatedSearch)
    ->Arg(0)
    ->Arg(1)
    ->MinTime(1.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The stand-in package through the real helper and the real Python.
    test::ArgosStandIn argos;
    qputenv("TROVI_TRANSLATION_PYTHON", "/usr/bin/python3");
    qputenv("PYTHONPATH", argos.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
