// Creating a new logbook: with Calc already running (warm) and with the office started for it (cold,
// seeded profile). The warm figure is the one the pilot waits for on "Заполнение".

#include "common/error.h"
#include "logbook/newbook.h"
#include "spreadsheet/uno/spreadsheet_host.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

using namespace korv;
using namespace korv::logbook;

namespace {

SpreadsheetHost::Options options() {
    SpreadsheetHost::Options o;
    o.profileDir = QStringLiteral(KORV_BENCH_PROFILE);
    return o;
}

// Owned by main, so that it is gone before exit() tears the UNO runtime down.
SpreadsheetHost* warmHost = nullptr;

void createOnce(benchmark::State& state, SpreadsheetHost& host) {
    QTemporaryDir dir;
    NoProgress progress;
    try {
        if (!createNewLogbook(host, dir.path(), progress).created)
            state.SkipWithError("logbook not created");
    } catch (const Error& e) {
        state.SkipWithError(e.what());
    }
}

void BM_NewLogbookWarm(benchmark::State& state) {
    warmHost->attach();
    for (auto _ : state)
        createOnce(state, *warmHost);
}
BENCHMARK(BM_NewLogbookWarm)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_NewLogbookCold(benchmark::State& state) {
    warmHost->shutdown(); // one office per profile: the warm one must not answer the cold host's pipe
    for (auto _ : state) {
        SpreadsheetHost host(options());
        createOnce(state, host); // includes starting the office
        state.PauseTiming();
        host.shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewLogbookCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_OfficeStartAndAttach(benchmark::State& state) {
    for (auto _ : state) {
        SpreadsheetHost host(options());
        host.attach();
        state.PauseTiming();
        host.shutdown();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OfficeStartAndAttach)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    warmHost = new SpreadsheetHost(options());
    try {
        warmHost->attach(); // the first start of a new profile is not what is measured
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete warmHost;
    return 0;
}
