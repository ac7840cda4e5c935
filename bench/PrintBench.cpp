// The printed page of the sample recordings: to PDF at 1200 dpi as --print and Export Page make
// it, and the picture forms that Copy puts on the clipboard.
#include "BenchSupport.h"

#include "PageOutputs.h"
#include "PrintStyle.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

enum Grid { kLines, kSquareDots, kRoundDots };

// A sample recording opened as the program opens it, with the print options of one grid.
struct SamplePage {
    ProfileSettings settings;
    SilentPrompter prompter;
    std::unique_ptr<CZM540Doc> doc = std::make_unique<CZM540Doc>(settings, prompter);

    SamplePage(bool bTwelveLead, Grid grid) {
        const char* name = bTwelveLead ? "/dog-12lead.vecg" : "/cat-monitor-II.vecg";
        if (!doc->OnOpenDocument(QStringLiteral(ZM540_SAMPLES) + QLatin1String(name)))
            throw std::runtime_error(std::string("cannot open the sample ") + name);
        settings.GridSelect[kColour] = grid == kLines ? 1 : 0;
        settings.EllipseForDots = grid == kRoundDots ? 1 : 0;
    }
    PageDrawer Drawer() const { return DocumentPage(*doc, ReadPrintStyle(settings)); }
};

const char* GridName(Grid grid) {
    return grid == kLines ? "line grid" : grid == kSquareDots ? "dot grid" : "round dots";
}

// Arguments: 1 for the 12-lead page, 0 for monitoring; the grid.
void BM_PrintPagePdf(benchmark::State& state) {
    const bool bTwelveLead = state.range(0) != 0;
    const Grid grid = Grid(state.range(1));
    const SamplePage page(bTwelveLead, grid);
    const PageDrawer draw = page.Drawer();
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray pdf = PagePdf(draw, Paper::A4);
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.constData());
    }
    state.counters["pdf_bytes"] = double(bytes);
    state.SetLabel(std::string(bTwelveLead ? "12-lead, " : "monitoring, ") + GridName(grid));
}
BENCHMARK(BM_PrintPagePdf)
    ->ArgsProduct({{1, 0}, {kLines, kSquareDots, kRoundDots}})
    ->Unit(benchmark::kMillisecond);

// What Copy makes before the clipboard takes it: the SVG, the PDF and the recorded picture.
void BM_CopyPicture(benchmark::State& state) {
    const bool bTwelveLead = state.range(0) != 0;
    const SamplePage page(bTwelveLead, kLines);
    const PageDrawer draw = page.Drawer();
    qsizetype svgBytes = 0, pdfBytes = 0;
    for (auto _ : state) {
        const QByteArray svg = PictureSvg(draw);
        const QByteArray pdf = PicturePdf(draw);
        const QPicture picture = PictureRecording(draw);
        svgBytes = svg.size();
        pdfBytes = pdf.size();
        benchmark::DoNotOptimize(svg.constData());
        benchmark::DoNotOptimize(pdf.constData());
        benchmark::DoNotOptimize(picture.data());
    }
    state.counters["svg_bytes"] = double(svgBytes);
    state.counters["pdf_bytes"] = double(pdfBytes);
    state.SetLabel(bTwelveLead ? "12-lead, line grid" : "monitoring, line grid");
}
BENCHMARK(BM_CopyPicture)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The 300 dpi image, played back from the recorded picture only when a program asks for it.
void BM_CopyPictureImage(benchmark::State& state) {
    const bool bTwelveLead = state.range(0) != 0;
    const SamplePage page(bTwelveLead, kLines);
    const QPicture picture = PictureRecording(page.Drawer());
    for (auto _ : state) {
        const QImage image = PictureImage(picture);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(bTwelveLead ? "12-lead, line grid" : "monitoring, line grid");
}
BENCHMARK(BM_CopyPictureImage)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksWithGui(argc, argv);
}
