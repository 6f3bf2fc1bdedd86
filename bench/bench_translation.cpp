// Translation rows with the local helper (the stand-in Argos package, so the
// figures are the launcher's own cost, not a model's): from the first search
// of a new text to its refreshed rows with the helper already warm, and what a
// translation still pending costs an unrelated search. Then the real Apertium
// engine (apertium-eng-spa): the first translation of a new pipeline, and
// translations through a warm one (median and p99).

#include "launcher/clients/translation/ApertiumEngine.h"
#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/ArgosStandIn.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

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

ApertiumEngine::Options patient() {
    ApertiumEngine::Options options;
    options.startupTimeoutSeconds = 120;
    options.responseTimeoutSeconds = 60;
    return options;
}

void BM_ApertiumColdFirstTranslation(benchmark::State& state) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        ApertiumEngine engine(patient());
        const auto translated = engine.translate(QStringLiteral("good morning"), "en", "es");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!translated)
            state.SkipWithError("apertium-eng-spa not installed");
    }
}

void BM_ApertiumWarmTranslation(benchmark::State& state) {
    static ApertiumEngine engine(patient());
    static bool warm = engine.translate(QStringLiteral("hello"), "en", "es").has_value();
    const QStringList texts{"good morning", "the dog eats the apple", "where is the station",
                            "I have a big house", "thank you very much"};
    for (auto _ : state) {
        const QString text = texts.at(++counter % texts.size());
        QElapsedTimer timer;
        timer.start();
        const auto translated = engine.translate(text, "en", "es");
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (!warm || !translated)
            state.SkipWithError("apertium-eng-spa not installed");
    }
}

double percentile99(const std::vector<double>& values) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
}

} // namespace

BENCHMARK(BM_ApertiumColdFirstTranslation)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApertiumWarmTranslation)
    ->Iterations(1)
    ->Repetitions(100)
    ->ComputeStatistics("p99", percentile99)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
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
