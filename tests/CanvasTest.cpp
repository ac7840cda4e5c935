#include "QPainterCanvas.h"
#include "SystemColours.h"
#include "TraceFootprint.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr ColourRef kInk = 0x0000FF; // red
const QRgb kInkPixel = ToQColor(kInk).rgb();
const QRgb kPaper = qRgb(255, 255, 255);

QImage Paper(QSize size, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(kPaper);
    return image;
}

std::vector<QPoint> Inked(const QImage& image) {
    std::vector<QPoint> points;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == kInkPixel)
                points.emplace_back(x, y);
    return points;
}

template <typename Draw> void DrawOn(QImage& image, Draw draw) {
    QPainter painter(&image);
    QPainterCanvas dc(painter);
    dc.SelectPen(CanvasPen{PenStyle::Solid, 0, kInk});
    draw(dc, painter);
}

} // namespace

// One-pixel lines on an image: one pixel per step along the longer axis, from the first point
// up to but not including the last, each the pixel nearest the exact line.
TEST(PixelLines, OnePixelPerStepNearestTheExactLine) {
    const QPoint a(20, 20);
    const std::vector<QPoint> ends = {
        {30, 20}, {10, 20}, {20, 31}, {20, 9},  {21, 20}, {20, 21}, // along an axis
        {30, 30}, {10, 10}, {30, 10}, {10, 30},                     // diagonals
        {33, 24}, {7, 24},  {33, 16}, {7, 16},                      // shallow, every octant
        {24, 33}, {16, 33}, {24, 7},  {16, 7},                      // steep, every octant
        {22, 21}, {21, 22}, {18, 19}, {26, 23}, {23, 38},           // exact ties across
    };
    for (const QPoint b : ends) {
        SCOPED_TRACE(testing::Message() << "to " << b.x() << "," << b.y());
        QImage image = Paper(QSize(40, 40));
        DrawOn(image, [&](Canvas& dc, QPainter&) {
            dc.MoveTo(a.x(), a.y());
            dc.LineTo(b.x(), b.y());
        });
        const std::vector<QPoint> inked = Inked(image);
        const int dx = b.x() - a.x(), dy = b.y() - a.y();
        const int n = std::max(std::abs(dx), std::abs(dy));
        const bool steep = std::abs(dy) >= std::abs(dx);
        ASSERT_EQ(int(inked.size()), n);
        std::vector<int> steps;
        for (const QPoint p : inked) {
            // Steps along the line, and the exact line's position across at that step.
            const int i =
                steep ? (p.y() - a.y()) * (dy < 0 ? -1 : 1) : (p.x() - a.x()) * (dx < 0 ? -1 : 1);
            const double exact = steep ? a.x() + double(dx) * i / n : a.y() + double(dy) * i / n;
            EXPECT_LE(std::abs((steep ? p.x() : p.y()) - exact), 0.5) << p.x() << "," << p.y();
            steps.push_back(i);
        }
        std::sort(steps.begin(), steps.end());
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(steps[std::size_t(i)], i); // the first point drawn, the last one not
    }
}

// A polyline cut by the clip rectangle, shifted by the painter's translation and running off
// the image: exactly the pixels of the same polyline drawn whole, where they fall inside.
TEST(PixelLines, ClipAndTranslationCutTheSameLine) {
    const std::vector<QPoint> zigzag = {{5, 50},  {20, 10}, {35, 90}, {50, 48}, {95, 52},
                                        {60, 95}, {58, 5},  {90, 30}, {6, 94}};
    auto polyline = [&](Canvas& dc) {
        dc.MoveTo(zigzag[0].x(), zigzag[0].y());
        for (std::size_t k = 1; k < zigzag.size(); ++k)
            dc.LineTo(zigzag[k].x(), zigzag[k].y());
    };
    QImage whole = Paper(QSize(100, 100));
    DrawOn(whole, [&](Canvas& dc, QPainter&) { polyline(dc); });

    const QPoint shift(-30, 25);
    const QRect clip(QPoint(25, 15), QPoint(80, 70)); // logical, before the shift
    QImage cut = Paper(QSize(60, 90));
    DrawOn(cut, [&](Canvas& dc, QPainter& painter) {
        painter.translate(shift);
        dc.SetClipRect(clip);
        polyline(dc);
        dc.SetClipRect(std::nullopt);
    });

    QImage expected = Paper(cut.size());
    const QRect visible = clip.translated(shift) & expected.rect();
    for (const QPoint p : Inked(whole))
        if (visible.contains(p + shift))
            expected.setPixel(p + shift, kInkPixel);
    EXPECT_EQ(cut, expected);
}

namespace {

// Right- and downward lines only: for those Qt's own line drawing puts the same pixels.
class GridWidget : public QWidget {
  public:
    GridWidget() { resize(60, 40); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPainterCanvas dc(painter);
        dc.SelectPen(CanvasPen{PenStyle::Solid, 0, kInk});
        for (int y = 2; y < 40; y += 6) {
            dc.MoveTo(-5, y);
            dc.LineTo(70, y);
        }
        dc.SetClipRect(QRect(10, 5, 30, 30));
        for (int x = 3; x < 60; x += 7) {
            dc.MoveTo(x, -3);
            dc.LineTo(x, 45);
        }
    }
};

} // namespace

// Whatever the target (a widget painted into an image at an offset and for a part only, or a
// high-resolution image), lines written straight into pixels land where Qt would draw them.
TEST(PixelLines, LandWhereQtDrawsThem) {
    struct Case {
        const char* name;
        QPoint offset;
        QRegion region; // of the widget; empty for all of it
        qreal dpr;
    };
    const Case cases[] = {
        {"whole widget", {0, 0}, QRegion(), 1.0},
        {"part, at an offset", {7, 4}, QRegion(QRect(5, 3, 35, 20)), 1.0},
        {"two parts", {2, 9}, QRegion(QRect(0, 0, 20, 10)) + QRegion(QRect(30, 20, 20, 15)), 1.0},
        {"high resolution", {3, 1}, QRegion(), 2.0},
    };
    GridWidget widget;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto render = [&](QImage::Format format) {
            QImage image = Paper(QSize(80, 60) * c.dpr, format);
            image.setDevicePixelRatio(c.dpr);
            widget.render(&image, c.offset, c.region, QWidget::RenderFlags());
            return image.convertToFormat(QImage::Format_RGB32);
        };
        // A 24-bit image is always drawn through Qt.
        const QImage direct = render(QImage::Format_RGB32);
        EXPECT_FALSE(Inked(direct).empty());
        EXPECT_EQ(direct, render(QImage::Format_RGB888));
    }
}

// The record of the last traces puts back exactly the background under them, and only while
// it says what the target shows: over the same picture, with nothing else drawn meanwhile.
TEST(TraceFootprint, PutsBackOnlyWhatTheLastTracesCovered) {
    QImage background = Paper(QSize(80, 60));
    QPainter(&background).fillRect(QRect(0, 30, 80, 30), QColor(200, 200, 200));
    const QPoint stray(75, 5); // far from every trace below
    enum class Meanwhile { Nothing, Text, DashedLine, NewBackground };
    struct Case {
        const char* name;
        Meanwhile meanwhile;
        bool bStrayKept; // only the boxes under the traces were put back
    };
    for (const Case& c : {Case{"traces only", Meanwhile::Nothing, true},
                          Case{"text drawn too", Meanwhile::Text, false},
                          Case{"a line drawn by Qt", Meanwhile::DashedLine, false},
                          Case{"background rebuilt", Meanwhile::NewBackground, false}}) {
        SCOPED_TRACE(c.name);
        QImage frame = Paper(background.size());
        TraceFootprint traces;
        auto paint = [&](auto draw) {
            QPainter painter(&frame);
            traces.ShowBackground(painter, background, true);
            QPainterCanvas dc(painter);
            FootprintCanvas traced(dc, painter, background, traces);
            traced.SelectPen(CanvasPen{PenStyle::Solid, 0, kInk});
            draw(traced);
        };
        paint([](Canvas& dc) {
            dc.MoveTo(5, 50);
            dc.LineTo(30, 10);
            dc.LineTo(70, 40); // together wider than a box: a box each
        });
        ASSERT_TRUE(traces.IsValid());
        EXPECT_EQ(traces.Boxes(), (std::vector<QRect>{QRect(QPoint(5, 10), QPoint(30, 50)),
                                                      QRect(QPoint(30, 10), QPoint(70, 40))}));
        EXPECT_EQ(frame.pixel(5, 50), kInkPixel);
        paint([&](Canvas& dc) {
            if (c.meanwhile == Meanwhile::Text) {
                dc.TextOut(40, 45, QStringLiteral("x"));
            } else if (c.meanwhile == Meanwhile::DashedLine) {
                dc.SelectPen(CanvasPen{PenStyle::Dash, 0, kInk});
                dc.MoveTo(40, 45);
                dc.LineTo(60, 45);
            }
        });
        // A new picture needs no voiding: the record knows which picture it was drawn over.
        EXPECT_EQ(traces.IsValid(),
                  c.meanwhile == Meanwhile::Nothing || c.meanwhile == Meanwhile::NewBackground);
        if (c.meanwhile == Meanwhile::NewBackground)
            background.fill(kPaper);
        frame.setPixel(stray, kInkPixel);
        paint([](Canvas&) {});
        QImage expected = background.copy();
        if (c.bStrayKept)
            expected.setPixel(stray, kInkPixel);
        EXPECT_EQ(frame, expected);
    }
}
