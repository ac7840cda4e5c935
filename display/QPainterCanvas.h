#pragma once

#include "Canvas.h"

#include <QPainter>
#include <QPolygon>

#include <optional>
#include <vector>

// The canvas over a QPainter: screen images, printers, PDF and SVG. Consecutive lines are
// collected into one polyline and drawn together. Solid one-pixel lines on a 32-bit raster
// target (an image, or the window's back buffer) are written straight into its pixels as they
// come, which is several times faster than Qt's line rasteriser; everything else goes through
// QPainter.
class QPainterCanvas : public Canvas {
  public:
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;

    void SelectPen(const CanvasPen& pen) override;
    void SelectFont(const QFont& font) override;
    void SetTextColour(ColourRef colour) override { m_crText = colour; }
    void SetTextAlign(int align) override { m_nAlign = align; }
    void SetBkMode(bool bTransparent) override { m_bTransparent = bTransparent; }
    void SetBkColour(ColourRef colour) override { m_crBk = colour; }
    void SetClipRect(std::optional<QRect> rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const QString& text) override;
    int TextWidth(const QString& text) override;
    void SetPixel(int x, int y, ColourRef colour) override;
    void FillRect(const QRect& rect, ColourRef colour) override;
    void FillCircle(int x, int y, int diameter, ColourRef colour) override;

    // Draws the lines collected so far.
    void Flush();

    // Where a paint wrote its one-pixel lines into the target, as boxes a few pixels wide
    // along each line, so that the next paint of the same target over the same background can
    // put back only those boxes instead of the whole background.
    struct InkLog {
        const quint32* target = nullptr; // the pixels written
        QSize size;
        std::vector<QRect> boxes; // in the target's pixels
        bool bVoid = true;        // something else was drawn, or nothing was logged
    };
    // The widest box of the log, in pixels: narrow boxes hug a trace between its spikes.
    static constexpr int kInkBoxWidth = 32;
    // From now on the lines written are logged in `log`; drawing anything else voids it.
    void KeepInk(InkLog& log);
    // Shows `background` (an RGB32 picture aligned with the painter's origin) on the painter's
    // target: if `ink` holds the lines last written on that target over that same background,
    // only the boxes under them are put back; otherwise the whole picture is copied.
    static void ShowBackground(QPainter& painter, const QImage& background, const InkLog* ink);

  private:
    // Where solid one-pixel lines are written directly, in the target's own pixels.
    struct PixelTarget {
        quint32* bits = nullptr;
        qsizetype stride = 0; // pixels from one row to the next
        QPoint offset;        // logical to device
        QRect clip;           // device pixels that may be written
        QSize size;           // of the target, in pixels
        quint32 pixel = 0;
    };
    // The target of `painter` if it is a 32-bit image one logical unit to a pixel and what it
    // may write there is one rectangle.
    static std::optional<PixelTarget> PixelTargetOf(QPainter& painter);
    void FindPixelTarget();
    void LogInk(QPoint a, QPoint b);
    void CloseInkBox();
    void VoidInk();

    QPainter& m_p;
    CanvasPen m_pen;
    std::optional<PixelTarget> m_direct;
    InkLog* m_pInk = nullptr;
    // The box being logged, in the target's pixels; empty when right < left.
    int m_nBoxLeft = 0, m_nBoxTop = 0, m_nBoxRight = -1, m_nBoxBottom = 0;
    QPolygon m_line;
    QPoint m_current;
    int m_nAlign = AlignLeft | AlignTop;
    bool m_bTransparent = false;
    ColourRef m_crText = 0;
    ColourRef m_crBk = 0xFFFFFF;
};
