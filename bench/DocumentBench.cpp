// Whole-record processing, file loading and heart rate of full recordings.
#include "BenchSupport.h"

#include "Measurements.h"

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

// The heart rate (and beats) of a full 40-s monitoring record, as the view shows it.
void BM_HeartRate(benchmark::State& state) {
    FullDocument full(false);
    full.doc->m_nSamples = kMonitorKept;
    full.doc->ProcessRecord();
    auto scratch = std::make_unique<MeasurementScratch>();
    for (auto _ : state) {
        const EcgMeasurements m = MeasureRecording(*full.doc, *scratch);
        if (!m.rateBpm)
            state.SkipWithError("no rate");
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_HeartRate)->Unit(benchmark::kMicrosecond);

// One live update during a session: the last 10 s of the rings copied, processed at 100 Hz
// and measured. Argument: 1 for 12-lead (six limb leads), 0 for monitoring.
void BM_LiveHeartRate(benchmark::State& state) {
    const bool bTwelveLead = state.range(0) != 0;
    FullDocument full(bTwelveLead);
    CZM540Doc& doc = *full.doc;
    doc.m_dCutoff = 100.0;
    for (int lead = 0; lead < kLimbLeadCount; ++lead)
        doc.m_leadRing[std::size_t(lead)] = doc.m_leadRecord[std::size_t(lead)];
    doc.m_monitorRing = doc.m_monitorRecord;
    state.SetLabel(bTwelveLead ? "12-lead" : "monitoring");
    auto scratch = std::make_unique<MeasurementScratch>();
    // The newest sample lies just before the ring's start, so the copy wraps around.
    const int head = 1000;
    const int valid = bTwelveLead ? kLeadKept : kMonitorKept;
    for (auto _ : state) {
        const std::optional<double> rate = LiveHeartRate(doc, head, valid, *scratch);
        if (!rate)
            state.SkipWithError("no rate");
        benchmark::DoNotOptimize(rate);
    }
}
BENCHMARK(BM_LiveHeartRate)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
