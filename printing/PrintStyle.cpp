#include "PrintStyle.h"

#include "ProfileSettings.h"

namespace {

// The setting if it indexes a table of `count` rows, otherwise its default.
int InTable(std::int32_t value, std::int32_t defaultValue, std::size_t count) {
    return (value >= 0 && std::size_t(value) < count) ? value : defaultValue;
}

PrintLine LineOf(std::int32_t style, std::int32_t defaultStyle, int sizeRow) {
    return {kPrintStyles[std::size_t(InTable(style, defaultStyle, kPrintStyles.size()))].style,
            kPrintSizes[std::size_t(sizeRow)].points};
}

} // namespace

PrintStyle ReadPrintStyle(const ProfileSettings& s) {
    static const ProfileSettings defaults;
    const ProfileSettings& d = defaults;
    const int c = s.PrintInColour ? kColour : kMono;
    PrintStyle p;
    p.bColour = c == kColour;
    p.bLineGrid = InTable(s.GridSelect[c], d.GridSelect[c], 2) == 1;
    p.bEllipseDots = s.EllipseForDots != 0;
    p.major = LineOf(s.MajorStyle[c], d.MajorStyle[c],
                     InTable(s.MajorSize[c], d.MajorSize[c], kPrintSizes.size()));
    p.minor = LineOf(s.MinorStyle[c], d.MinorStyle[c],
                     InTable(s.MinorSize[c], d.MinorSize[c], kPrintSizes.size()));
    p.trace = LineOf(s.TraceStyle[c], d.TraceStyle[c],
                     InTable(s.TraceSize[c], d.TraceSize[c], kPrintSizes.size() - 1) + 1);
    p.crBackground = ColourRef(s.Background);
    p.crMajorGrid = ColourRef(s.MajorGrid);
    p.crMinorGrid = ColourRef(s.MinorGrid);
    p.crTrace = ColourRef(s.Trace);
    p.scale = ChartScaleOf(s.Speed, s.Gain);
    return p;
}
