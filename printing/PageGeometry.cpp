#include "PageGeometry.h"

namespace {

constexpr double kCmPerInch = 0.39370078740157477; // 1 / 2.54

// Windows' MulDiv for positive values: a * b / c rounded to the nearest integer.
int PointsToUnits(int tenthsOfPoint, int dpi) {
    return int((std::int64_t(tenthsOfPoint) * dpi + 360) / 720);
}

} // namespace

PageUnits PrinterUnits(int dpiX, int dpiY) {
    return {dpiX * kCmPerInch, dpiY * kCmPerInch, dpiX, PointsToUnits(180, dpiY),
            PointsToUnits(80, dpiY)};
}

PageUnits PictureUnits() {
    return PageUnits{};
}

PageGeometry::PageGeometry(const PageUnits& units)
    : u(units), T(cy(1.0)), H(cy(16.0)), S(cx(25.0)), grid{cx(1.5), cy(1.0), cx(27.5), cy(17.0)},
      xStrip(cx(2.5)), xRightStrip(cx(15.0)), xPulse(cx(1.8)) {}
