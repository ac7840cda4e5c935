// Background rebuild and recorded drawing at 1920 x 1080, and opening a full file and drawing it.
#include "BenchSupport.h"
#include "PaintOnCopy.h"

#include "DisplayLayout.h"
#include "EcgBackground.h"
#include "QPainterCanvas.h"
#include "RecordDrawing.h"
#include "ZM540View.h"

#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

void BM_BackgroundRebuild(benchmark::State& state) {
    FullDocument full(state.range(0) != 0);
    CZM540View view(*full.doc, full.settings, {});
    view.resize(kWidth, kHeight);
    view.OnUpdate();
    for (auto _ : state) {
        view.RebuildBackground();
        benchmark::DoNotOptimize(view.Background().constBits());
    }
    state.SetLabel(state.range(0) ? "12-lead" : "monitoring");
}
BENCHMARK(BM_BackgroundRebuild)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Draws a full recording on a copy of the background, as each paint does.
void DrawRecord(benchmark::State& state, bool bTwelveLead) {
    FullDocument full(bTwelveLead);
    full.doc->ProcessRecord();
    const GridLayout g = LayoutGrid(kWidth, kHeight);
    const SchemeColours colours = GetSchemeColours(full.settings.schemes, 0);
    QImage background(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    background.fill(Qt::white);
    QImage frame(background.size(), background.format());
    for (auto _ : state) {
        PaintOnCopy(frame, background, [&](Canvas& dc) {
            if (bTwelveLead)
                DrawTwelveLeadRecord(dc, g, colours, *full.doc);
            else
                DrawMonitorRecord(dc, g, colours, *full.doc);
        });
    }
}
void BM_DrawTwelveLeadRecord(benchmark::State& state) {
    DrawRecord(state, true);
}
void BM_DrawMonitorRecord(benchmark::State& state) {
    DrawRecord(state, false);
}
BENCHMARK(BM_DrawTwelveLeadRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawMonitorRecord)->Unit(benchmark::kMillisecond);

// Open a full recording and draw the whole view, background included, as after File Open.
void BM_OpenAndDraw(benchmark::State& state) {
    const bool bTwelveLead = state.range(0) != 0;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.vecg"));
    FullDocument(bTwelveLead).doc->OnSaveDocument(path);
    FullDocument reader(!bTwelveLead);
    CZM540View view(*reader.doc, reader.settings, {});
    view.resize(kWidth, kHeight);
    QObject::connect(reader.doc.get(), &CZM540Doc::updated, &view, &CZM540View::OnUpdate);
    QImage target(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        reader.doc->OnOpenDocument(path);
        reader.doc->UpdateAllViews();
        view.render(&target);
    }
    state.SetLabel(bTwelveLead ? "12-lead" : "monitoring");
}
BENCHMARK(BM_OpenAndDraw)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksWithGui(argc, argv);
}
