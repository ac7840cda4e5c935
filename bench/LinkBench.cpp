// Stream decoding throughput, and live painting of full rings at 1920 x 1080.
#include "BenchSupport.h"
#include "PaintOnCopy.h"

#include "DisplayLayout.h"
#include "LivePainting.h"
#include "QPainterCanvas.h"
#include "StreamDecoder.h"

#include <QPainter>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

struct Rings {
    FullDocument full{true};
    AcquisitionState s;
    explicit Rings(bool bTwelveLead, bool bFiltered = false) {
        s.m_pMonitorRing = full.doc->m_monitorRing.data();
        for (int k = 0; k < 12; ++k)
            s.m_pLeadRing[std::size_t(k)] = full.doc->m_leadRing[std::size_t(k)].data();
        s.m_bViewTwelveLead = bTwelveLead;
        s.m_bRealTimeFilter = bFiltered;
        s.ResetSession();
        s.DesignRealTimeFilter(40.0, kSampleRate);
    }
};

// One minute of the recorder's stream, in either format.
std::vector<std::uint8_t> Stream(bool bTwelveLead) {
    std::mt19937 gen(2);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 300 * 60; ++i) {
        if (bTwelveLead) {
            bytes.push_back(255);
            for (int ch = 0; ch < 8; ++ch)
                bytes.push_back(std::uint8_t(SyntheticSample(i, 0.3 + 0.1 * ch, gen) + 126));
        } else {
            bytes.push_back(std::uint8_t(SyntheticSample(i, 1.0, gen) + 126));
        }
    }
    return bytes;
}

void Decode(benchmark::State& state, bool bTwelveLead, bool bFiltered) {
    Rings r(bTwelveLead, bFiltered);
    const std::vector<std::uint8_t> bytes = Stream(bTwelveLead);
    const int event = bTwelveLead ? 135 : 15; // bytes per receive event
    for (auto _ : state) {
        for (std::size_t i = 0; i < bytes.size(); i += std::size_t(event))
            ::Decode(r.s, bytes.data() + i,
                     int(std::min<std::size_t>(std::size_t(event), bytes.size() - i)));
        benchmark::DoNotOptimize(r.s.m_nHead);
    }
    state.SetBytesProcessed(state.iterations() * qint64(bytes.size()));
}
void BM_DecodeMonitor(benchmark::State& st) {
    Decode(st, false, false);
}
void BM_DecodeMonitorFiltered(benchmark::State& st) {
    Decode(st, false, true);
}
void BM_DecodeTwelveLead(benchmark::State& st) {
    Decode(st, true, false);
}
void BM_DecodeTwelveLeadFiltered(benchmark::State& st) {
    Decode(st, true, true);
}
BENCHMARK(BM_DecodeMonitor);
BENCHMARK(BM_DecodeMonitorFiltered);
BENCHMARK(BM_DecodeTwelveLead);
BENCHMARK(BM_DecodeTwelveLeadFiltered);

// A 12-lead paint with a full ring, as in a session: the background put back under the last
// paint's traces, then seven traces.
void BM_PaintTwelveLeadLive(benchmark::State& state) {
    Rings r(true);
    const std::vector<std::uint8_t> bytes = Stream(true);
    ::Decode(r.s, bytes.data(), 9 * 3500);
    const GridLayout g = LayoutGrid(kWidth, kHeight);
    const SchemeColours colours = DefaultSchemeTable()[0];
    QImage background(kWidth, kHeight, QImage::Format_RGB32);
    background.fill(Qt::white);
    QImage frame(background.size(), background.format());
    TraceFootprint traces;
    for (auto _ : state)
        PaintOnCopy(
            frame, background, [&](Canvas& dc) { PaintTwelveLeadLive(dc, r.s, g, colours, 1); },
            &traces);
}
BENCHMARK(BM_PaintTwelveLeadLive)->Unit(benchmark::kMillisecond);

// One full monitoring strip drawn onto the window's picture.
void BM_PaintMonitorLive(benchmark::State& state) {
    Rings r(false);
    const std::vector<std::uint8_t> bytes = Stream(false);
    ::Decode(r.s, bytes.data(), 2999);
    ::Decode(r.s, bytes.data() + 2999, 1); // the head now ends the first strip
    const GridLayout g = LayoutGrid(kWidth, kHeight);
    const SchemeColours colours = DefaultSchemeTable()[0];
    QImage window(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    window.fill(Qt::white);
    r.s.m_nHead = 2999;
    for (auto _ : state) {
        QPainter painter(&window);
        QPainterCanvas dc(painter);
        PaintMonitorLive(dc, r.s, g, colours);
    }
}
BENCHMARK(BM_PaintMonitorLive)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksWithGui(argc, argv);
}
