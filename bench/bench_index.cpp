// Document index search timings: one benchmark per query against an existing
// index database, searched the way the launcher does on every keystroke.
//
//   bench_index --index=PATH [--query=TEXT]... [Google Benchmark flags]
//
// Without --index (or TROVI_BENCH_INDEX) there is nothing to measure;
// bench/compare_index.sh builds a 100,000-document index and runs this.

#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kDefaultQueries = {
    "report", "budget 2024", "meeting notes", "inv", "quarterly report", "50% off", "zzqx", "",
};

} // namespace

int main(int argc, char** argv) {
    std::string indexPath;
    if (const char* fromEnvironment = std::getenv("TROVI_BENCH_INDEX"))
        indexPath = fromEnvironment;
    std::vector<std::string> queries;
    bool queriesGiven = false;

    std::vector<char*> passOn{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--index=", 0) == 0) {
            indexPath = arg.substr(8);
        } else if (arg.rfind("--query=", 0) == 0) {
            queries.push_back(arg.substr(8));
            queriesGiven = true;
        } else {
            passOn.push_back(argv[i]);
        }
    }
    if (!queriesGiven)
        queries = kDefaultQueries;
    if (indexPath.empty()) {
        std::fputs(
            "bench_index: no index given (--index=PATH); bench/compare_index.sh builds one\n",
            stderr);
        return 0;
    }

    trovi::IndexedDocumentSearch search(QString::fromStdString(indexPath), [](const QString& line) {
        std::fprintf(stderr, "%s\n", qPrintable(line));
    });
    if (!search.isOpen())
        return 1;

    const trovi::UsageKeyProvider noUsageKey = [](const QString&, const QString&) {
        return std::optional<QString>();
    };
    const trovi::LearnedCountProvider noLearnedCount = [](const QString&) {
        return std::int64_t(0);
    };

    for (std::size_t i = 0; i < queries.size(); ++i) {
        const QString query = QString::fromStdString(queries[i]);
        const std::string name = "search/" + std::to_string(i) + ":" + queries[i];
        benchmark::RegisterBenchmark(
            name.c_str(),
            [&search, &noUsageKey, &noLearnedCount, query](benchmark::State& state) {
                qsizetype rows = 0;
                for (auto _ : state) {
                    auto results = search.search(query, noUsageKey, noLearnedCount);
                    rows = results.size();
                    benchmark::DoNotOptimize(results);
                }
                state.counters["rows"] = double(rows);
            })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }

    int passOnCount = int(passOn.size());
    benchmark::Initialize(&passOnCount, passOn.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
