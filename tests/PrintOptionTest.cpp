// The "Print/Export" page of the option sheet: the two sets behind the colour mode, what is
// enabled for each grid kind and mode, and what OK stores.
#include "PrintOption.h"
#include "ColourSwatch.h"
#include "ProfileSettings.h"
#include "TestSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <array>

namespace {

// One set as the page shows it: grid kind, major style, major size, minor style, minor size,
// trace style, trace size.
using Set = std::array<int, 7>;

Set Shown(const CPrintOption& page) {
    return {page.m_gridKindGroup->checkedId(),    page.m_majorStyleList->currentIndex(),
            page.m_majorSizeList->currentIndex(), page.m_minorStyleList->currentIndex(),
            page.m_minorSizeList->currentIndex(), page.m_traceStyleList->currentIndex(),
            page.m_traceSizeList->currentIndex()};
}

Set Stored(const ProfileSettings& s, int c) {
    return {s.GridSelect[c], s.MajorStyle[c], s.MajorSize[c], s.MinorStyle[c],
            s.MinorSize[c],  s.TraceStyle[c], s.TraceSize[c]};
}

void Put(ProfileSettings& s, int c, const Set& v) {
    s.GridSelect[c] = v[0];
    s.MajorStyle[c] = v[1];
    s.MajorSize[c] = v[2];
    s.MinorStyle[c] = v[3];
    s.MinorSize[c] = v[4];
    s.TraceStyle[c] = v[5];
    s.TraceSize[c] = v[6];
}

const Set kMonoStart = {0, 1, 3, 2, 1, 0, 4};
const Set kColourStart = {1, 2, 5, 0, 6, 1, 5};

// Distinct values in every Print setting, shown in monochrome.
ProfileSettings Start() {
    ProfileSettings s;
    Put(s, kMono, kMonoStart);
    Put(s, kColour, kColourStart);
    s.PrintInColour = 0;
    s.EllipseForDots = 1;
    s.Background = 0x112233;
    s.MajorGrid = 0x445566;
    s.MinorGrid = 0x778899;
    s.Trace = 0xAABBCC;
    return s;
}

// A click as the user makes it: nothing on a disabled button, a toggle and the clicked signal
// otherwise.
void Click(QAbstractButton* button) {
    button->click();
}

// Every value of the profile's "Print" section, compared key by key.
void ExpectPrintSection(ProfileSettings got, ProfileSettings want) {
    const std::vector<ProfileEntry> a = ProfileEntries(got);
    const std::vector<ProfileEntry> b = ProfileEntries(want);
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (QByteArray(a[i].section) == "Print") {
            EXPECT_EQ(*a[i].value, *b[i].value) << a[i].key;
        }
    }
}

// `s` with every Print value changed, so that a value StoreInto leaves out shows.
ProfileSettings Scrambled(ProfileSettings s) {
    for (ProfileEntry& e : ProfileEntries(s))
        if (QByteArray(e.section) == "Print")
            *e.value = 77;
    return s;
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

} // namespace

TEST(PrintOption, EachColourModeShowsItsOwnSetAndKeepsUnconfirmedChanges) {
    const ProfileSettings start = Start();
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    page.OnSetActive();
    EXPECT_TRUE(page.m_monoRadio->isChecked());
    EXPECT_EQ(Shown(page), kMonoStart);

    // Unconfirmed monochrome changes: line grid, dashed major lines, trace size "½ Point".
    Click(page.m_lineGridButton);
    page.m_majorStyleList->setCurrentIndex(1);
    page.m_traceSizeList->setCurrentIndex(2);
    const Set monoChanged = {1, 1, 3, 2, 1, 0, 2};
    EXPECT_EQ(Shown(page), monoChanged);

    Click(page.m_colourRadio);
    EXPECT_EQ(page.m_nColourMode, kColour);
    EXPECT_EQ(Shown(page), kColourStart);
    page.m_minorSizeList->setCurrentIndex(3);

    Click(page.m_monoRadio);
    EXPECT_EQ(Shown(page), monoChanged);

    Click(page.m_colourRadio);
    const Set colourChanged = {1, 2, 5, 0, 3, 1, 5};
    EXPECT_EQ(Shown(page), colourChanged);

    page.OnKillActive();
    ProfileSettings out = start;
    page.StoreInto(out);
    EXPECT_EQ(Stored(out, kMono), monoChanged);
    EXPECT_EQ(Stored(out, kColour), colourChanged);
    EXPECT_EQ(out.PrintInColour, 1);
}

TEST(PrintOption, EnablesAndBackgroundLabelFollowGridKindAndColourMode) {
    struct Case {
        int mode, grid;
        bool ellipse, gridLists, traceSwatch, gridSwatches, backSwatch;
        const char* backLabel;
    };
    const Case cases[] = {
        {kMono, 0, true, false, false, false, false, "Background"},
        {kMono, 1, false, true, false, false, false, "Background"},
        {kColour, 0, true, false, true, false, true, "Dot colour"},
        {kColour, 1, false, true, true, true, true, "Background"},
    };
    for (const Case& c : cases) {
        // Straight from the settings, and by clicks from the opposite mode and grid kind.
        for (const bool bClicked : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << c.mode << " grid " << c.grid
                                            << (bClicked ? " clicked" : " started"));
            ProfileSettings start = Start();
            const int from = bClicked ? 1 - c.grid : c.grid;
            start.GridSelect = {from, from};
            start.PrintInColour = bClicked ? 1 - c.mode : c.mode;
            ScriptedPrompter prompter;
            CPrintOption page(start, prompter);
            page.OnSetActive();
            if (bClicked) {
                Click(c.mode == kColour ? page.m_colourRadio : page.m_monoRadio);
                Click(c.grid == 1 ? page.m_lineGridButton : page.m_dotGridButton);
            }
            ASSERT_EQ(page.m_nColourMode, c.mode);
            ASSERT_EQ(page.m_nGridKind, c.grid);
            EXPECT_EQ(page.m_ellipseCheck->isEnabled(), c.ellipse);
            for (const QComboBox* list : {page.m_majorStyleList, page.m_majorSizeList,
                                          page.m_minorStyleList, page.m_minorSizeList})
                EXPECT_EQ(list->isEnabled(), c.gridLists);
            EXPECT_TRUE(page.m_traceStyleList->isEnabled());
            EXPECT_TRUE(page.m_traceSizeList->isEnabled());
            EXPECT_EQ(page.m_traceSwatch->isEnabled(), c.traceSwatch);
            EXPECT_EQ(page.m_majorSwatch->isEnabled(), c.gridSwatches);
            EXPECT_EQ(page.m_minorSwatch->isEnabled(), c.gridSwatches);
            EXPECT_EQ(page.m_backSwatch->isEnabled(), c.backSwatch);
            EXPECT_EQ(page.m_backLabel->text(), QString::fromUtf8(c.backLabel));
        }
    }
}

TEST(PrintOption, LineGridKeepsTheEllipseChoiceForTheDotGrid) {
    ProfileSettings start = Start();
    start.EllipseForDots = 0;
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    page.OnSetActive();
    Click(page.m_ellipseCheck);
    Click(page.m_lineGridButton);
    EXPECT_FALSE(page.m_ellipseCheck->isEnabled());
    EXPECT_TRUE(page.m_ellipseCheck->isChecked());
    Click(page.m_dotGridButton);
    EXPECT_TRUE(page.m_ellipseCheck->isEnabled());
    EXPECT_TRUE(page.m_ellipseCheck->isChecked());

    page.OnKillActive();
    ProfileSettings out = start;
    page.StoreInto(out);
    EXPECT_EQ(out.EllipseForDots, 1);
    EXPECT_EQ(out.GridSelect[kMono], 0);
}

TEST(PrintOption, ComingBackShowsTheSameValuesButTheEllipseBoxAsTheSheetOpened) {
    const ProfileSettings start = Start(); // ellipse box checked
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    page.OnSetActive();
    Click(page.m_ellipseCheck);
    ASSERT_FALSE(page.m_ellipseCheck->isChecked());
    Click(page.m_lineGridButton);
    page.m_minorStyleList->setCurrentIndex(1);
    Click(page.m_colourRadio);
    page.m_traceStyleList->setCurrentIndex(2);
    page.OnKillActive();

    page.OnSetActive();
    EXPECT_TRUE(page.m_colourRadio->isChecked());
    EXPECT_FALSE(page.m_monoRadio->isChecked());
    EXPECT_EQ(Shown(page), (Set{1, 2, 5, 0, 6, 2, 5}));
    EXPECT_TRUE(page.m_ellipseCheck->isChecked());
    Click(page.m_monoRadio);
    EXPECT_EQ(Shown(page), (Set{1, 1, 3, 1, 1, 0, 4}));

    page.OnKillActive();
    ProfileSettings out = start;
    page.StoreInto(out);
    EXPECT_EQ(out.EllipseForDots, 1);
    EXPECT_EQ(out.PrintInColour, 0);
}

TEST(PrintOption, NoSelectionShowsNothingAndIsStoredAsMinusOne) {
    // No grid kind, no major style, and sizes and a style beyond their lists: the trace list
    // has six sizes, so 6 is beyond it though the grid lists have it.
    ProfileSettings start = Start();
    Put(start, kMono, {-1, -1, 7, 3, 1, 0, 6});
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    page.OnSetActive();
    EXPECT_EQ(Shown(page), (Set{-1, -1, -1, -1, 1, 0, -1}));
    EXPECT_FALSE(page.m_dotGridButton->isChecked());
    EXPECT_FALSE(page.m_lineGridButton->isChecked());
    page.m_minorSizeList->setCurrentIndex(-1);

    Click(page.m_colourRadio);
    EXPECT_EQ(Shown(page), kColourStart);
    Click(page.m_monoRadio);
    const Set none = {-1, -1, -1, -1, -1, 0, -1};
    EXPECT_EQ(Shown(page), none);

    page.OnKillActive();
    ProfileSettings out = start;
    page.StoreInto(out);
    EXPECT_EQ(Stored(out, kMono), none);
    EXPECT_EQ(Stored(out, kColour), kColourStart);
}

TEST(PrintOption, NoColourModeChecksNeitherButtonAndKeepsBothSets) {
    ProfileSettings start = Start();
    start.PrintInColour = -1;
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    page.OnSetActive();
    EXPECT_FALSE(page.m_monoRadio->isChecked());
    EXPECT_FALSE(page.m_colourRadio->isChecked());
    EXPECT_FALSE(page.m_traceSwatch->isEnabled());

    page.OnKillActive();
    ProfileSettings out = Scrambled(start);
    page.StoreInto(out);
    EXPECT_EQ(out.PrintInColour, -1);
    EXPECT_EQ(Stored(out, kMono), kMonoStart);
    EXPECT_EQ(Stored(out, kColour), kColourStart);

    Click(page.m_colourRadio);
    EXPECT_EQ(Shown(page), kColourStart);
    EXPECT_TRUE(page.m_traceSwatch->isEnabled());
}

TEST(PrintOption, OkWithNothingChangedGivesBackEveryPrintValue) {
    ProfileSettings colour = Start();
    colour.PrintInColour = 1;
    colour.EllipseForDots = 0;
    const ProfileSettings starts[] = {Start(), colour, ProfileSettings()};
    for (const ProfileSettings& start : starts) {
        SCOPED_TRACE(testing::Message() << "colour " << start.PrintInColour);
        ScriptedPrompter prompter;
        CPrintOption page(start, prompter);
        page.OnSetActive();
        page.OnKillActive();
        ProfileSettings out = Scrambled(start);
        page.StoreInto(out);
        ExpectPrintSection(out, start);
        EXPECT_EQ(out.Scheme, start.Scheme);
        EXPECT_EQ(out.RealTimeFilter, start.RealTimeFilter);
        EXPECT_TRUE(prompter.colourAsks.empty());
    }
}

TEST(PrintOption, SwatchDoubleClickChangesTheColourStored) {
    struct Case {
        CColourSwatch* CPrintOption::*swatch;
        std::int32_t ProfileSettings::*colour;
    };
    const Case cases[] = {
        {&CPrintOption::m_traceSwatch, &ProfileSettings::Trace},
        {&CPrintOption::m_majorSwatch, &ProfileSettings::MajorGrid},
        {&CPrintOption::m_minorSwatch, &ProfileSettings::MinorGrid},
        {&CPrintOption::m_backSwatch, &ProfileSettings::Background},
    };
    ProfileSettings start = Start();
    start.PrintInColour = 1; // the colour set has a line grid: every swatch is enabled
    for (const Case& c : cases) {
        SCOPED_TRACE(start.*c.colour);
        for (const bool bAnswered : {true, false}) {
            ScriptedPrompter prompter;
            if (bAnswered)
                prompter.colours = {0x00FF80};
            CPrintOption page(start, prompter);
            page.OnSetActive();
            ASSERT_TRUE((page.*c.swatch)->isEnabled());
            (page.*c.swatch)->OnLButtonDblClk();
            EXPECT_EQ(prompter.colourAsks,
                      std::vector<std::uint32_t>{std::uint32_t(start.*c.colour)});
            page.OnKillActive();
            ProfileSettings out = start;
            page.StoreInto(out);
            ProfileSettings want = start;
            if (bAnswered)
                want.*c.colour = 0x00FF80;
            ExpectPrintSection(out, want);
        }
    }
}

TEST(PrintOption, ListsHoldTheStylesAndSizesAndTheGridButtonsTheirPictures) {
    ProfileSettings start = Start();
    Put(start, kMono, {1, 2, 0, 0, 6, 1, 0});
    ScriptedPrompter prompter;
    CPrintOption page(start, prompter);
    EXPECT_TRUE(page.m_dotGridButton->icon().isNull());
    page.OnSetActive();
    EXPECT_FALSE(page.m_dotGridButton->icon().isNull());
    EXPECT_FALSE(page.m_lineGridButton->icon().isNull());

    const QStringList styles = {"Solid", "Dash", "Dotted"};
    for (const QComboBox* list :
         {page.m_traceStyleList, page.m_majorStyleList, page.m_minorStyleList})
        EXPECT_EQ(Items(list), styles);
    const QStringList traceSizes = {"Hairline", "¼ point",  "½ Point",
                                    "1 Point",  "2 Points", "3 Points"};
    EXPECT_EQ(Items(page.m_traceSizeList), traceSizes);
    for (const QComboBox* list : {page.m_majorSizeList, page.m_minorSizeList})
        EXPECT_EQ(Items(list), QStringList{"None"} + traceSizes);

    // A stored value is the item's index in its own list.
    EXPECT_EQ(page.m_traceSizeList->currentText(), "Hairline");
    EXPECT_EQ(page.m_majorSizeList->currentText(), "None");
    EXPECT_EQ(page.m_minorSizeList->currentText(), "3 Points");
    EXPECT_EQ(page.m_majorStyleList->currentText(), "Dotted");
}
