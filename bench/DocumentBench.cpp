// Whole-record processing and file loading of full recordings.
#include "BenchSupport.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void ProcessRecord(benchmark::State& state, bool bTwelveLead) {
    FullDocument full(bTwelveLead);
    full.doc->m_dCutoff = CutoffOfClass(int(state.range(0)));
    state.SetLabel(kFilterClasses[std::size_t(state.range(0))].label);
    for (auto _ : state) {
        full.doc->ProcessRecord();
        benchmark::DoNotOptimize(full.doc->m_leadTrace.data());
        benchmark::DoNotOptimize(full.doc->m_monitorTrace.data());
    }
    state.SetItemsProcessed(state.iterations() * (bTwelveLead ? 6 : 1) * full.doc->m_nSamples);
}

void BM_ProcessRecord_TwelveLead(benchmark::State& state) {
    ProcessRecord(state, true);
}
void BM_ProcessRecord_Monitor(benchmark::State& state) {
    ProcessRecord(state, false);
}
BENCHMARK(BM_ProcessRecord_TwelveLead)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcessRecord_Monitor)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void LoadFile(benchmark::State& state, bool bTwelveLead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.vecg"));
    FullDocument full(bTwelveLead);
    full.doc->OnSaveDocument(path);
    FullDocument reader(!bTwelveLead);
    for (auto _ : state) {
        if (!reader.doc->OnOpenDocument(path) || reader.doc->m_nSamples != full.doc->m_nSamples)
            state.SkipWithError("the file did not load");
    }
}

void BM_LoadFile_TwelveLead(benchmark::State& state) {
    LoadFile(state, true);
}
void BM_LoadFile_Monitor(benchmark::State& state) {
    LoadFile(state, false);
}
BENCHMARK(BM_LoadFile_TwelveLead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFile_Monitor)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
