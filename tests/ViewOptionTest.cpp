#include "TestSupport.h"

#include "ColourSwatch.h"
#include "ProfileSettings.h"
#include "ViewOption.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

using Row = std::array<std::uint32_t, 8>;

// The swatches in the order of a scheme row.
constexpr std::array<int, 7> kSwatchIds = {CViewOption::kIdBackground, CViewOption::kIdMajorGrid,
                                           CViewOption::kIdMinorGrid,  CViewOption::kIdChannel1,
                                           CViewOption::kIdChannel2,   CViewOption::kIdChannel3,
                                           CViewOption::kIdLabel};

// A user row unlike any built-in one.
constexpr SchemeColours kUserRow = {0x102030, 0x405060, 0x708090, 0xA0B0C0,
                                    0xD0E0F0, 0x010203, 0x040506, 6};
constexpr ColourRef kPicked = 0x3366CC;

Row Words(const SchemeColours& c) {
    return {c.crBackground, c.crMajorGrid, c.crMinorGrid, c.crChannel1,
            c.crChannel2,   c.crChannel3,  c.crLabel,     c.nSpare};
}

// The sheet around one page: the settings it opened with, and OK.
struct PageFixture {
    ProfileSettings start;
    ScriptedPrompter prompter;
    std::unique_ptr<CViewOption> page;

    explicit PageFixture(int nScheme) {
        start.Scheme = nScheme;
        start.UserScheme() = kUserRow;
        page = std::make_unique<CViewOption>(start, prompter);
        page->show();
    }
    // The seven colours the swatches show, in row order.
    std::array<ColourRef, 7> Colours() const {
        std::array<ColourRef, 7> out{};
        for (std::size_t i = 0; i < kSwatchIds.size(); ++i)
            out[i] = page->Swatch(kSwatchIds[i])->Colour();
        return out;
    }
    int ReadOnlyCount() const {
        int n = 0;
        for (int id : kSwatchIds)
            n += page->Swatch(id)->IsReadOnly() ? 1 : 0;
        return n;
    }
    void DoubleClick(int nId) { QTest::mouseDClick(page->Swatch(nId), Qt::LeftButton); }
    // Picks a scheme from the open list, as the user does.
    void Choose(int index) {
        QComboBox* box = page->SchemeChooser();
        box->showPopup();
        ASSERT_TRUE(box->view()->isVisible());
        box->view()->setCurrentIndex(box->model()->index(index, 0));
        QTest::keyClick(box->view(), Qt::Key_Return);
    }
    // OK on the sheet with this page shown.
    ProfileSettings Confirm() {
        page->OnKillActive();
        return Store();
    }
    // The transfer alone, as for a page never shown.
    ProfileSettings Store() const {
        ProfileSettings out = start;
        page->StoreInto(out);
        return out;
    }
};

std::array<ColourRef, 7> Seven(const SchemeColours& c) {
    return {c.crBackground, c.crMajorGrid, c.crMinorGrid, c.crChannel1,
            c.crChannel2,   c.crChannel3,  c.crLabel};
}

const std::array<ColourRef, 7> kDark = {0x000000, 0x5A5A5A, 0x323232, 0x00FF00,
                                        0xFFFF00, 0x00FFFF, 0xFFFFFF};
const std::array<ColourRef, 7> kPink = {0xFFFFFF, 0xB469FF, 0xC1B6FF, 0x800000,
                                        0x000000, 0x008000, 0xFF0000};
const std::array<ColourRef, 7> kUserColours = Seven(kUserRow);
const std::array<ColourRef, 7> kUserPicked = {kPicked,  0x405060, 0x708090, 0xA0B0C0,
                                              0xD0E0F0, 0x010203, 0x040506};

} // namespace

TEST(ViewOption, ChooserAndSwatchesSitInTheirGroupsInOrder) {
    PageFixture f(0);
    QComboBox* box = f.page->SchemeChooser();
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    EXPECT_EQ(items, QStringList({"Windows System Colour", "Skylight", "Dark", "Green", "Blues",
                                  "Pink", "User Selected"}));

    QHash<QWidget*, QString> labelOf;
    for (QLabel* label : f.page->findChildren<QLabel*>())
        labelOf.insert(label->buddy(), label->text());
    EXPECT_EQ(labelOf.value(box), "Colour scheme");

    const struct {
        int id;
        const char* group;
        const char* label;
    } rows[] = {{CViewOption::kIdBackground, "Grids and layout", "Background"},
                {CViewOption::kIdMajorGrid, "Grids and layout", "Major grid line"},
                {CViewOption::kIdMinorGrid, "Grids and layout", "Minor grid line"},
                {CViewOption::kIdChannel1, "Line traces", "Channel 1"},
                {CViewOption::kIdChannel2, "Line traces", "Channel 2"},
                {CViewOption::kIdChannel3, "Line traces", "Channel 3"},
                {CViewOption::kIdLabel, "Line traces", "Label"}};
    QGroupBox* previousGroup = nullptr;
    int previousTop = -1;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        CColourSwatch* swatch = f.page->Swatch(r.id);
        ASSERT_NE(swatch, nullptr);
        auto* group = qobject_cast<QGroupBox*>(swatch->parentWidget());
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), r.group);
        EXPECT_EQ(labelOf.value(swatch), r.label);
        // Rows run down their group; the second group stands beside the first.
        if (group == previousGroup) {
            EXPECT_GT(swatch->y(), previousTop);
        } else if (previousGroup) {
            EXPECT_GT(group->x(), previousGroup->x() + previousGroup->width() - 1);
            EXPECT_EQ(group->y(), previousGroup->y());
        }
        previousGroup = group;
        previousTop = swatch->y();
    }
    EXPECT_EQ(f.page->Swatch(CViewOption::kIdScheme), nullptr);
}

TEST(ViewOption, BuiltInSchemeIsShownReadOnly) {
    PageFixture f(2);
    f.page->OnSetActive();
    EXPECT_EQ(f.page->SchemeChooser()->currentIndex(), 2);
    EXPECT_EQ(f.Colours(), kDark);
    EXPECT_EQ(f.ReadOnlyCount(), 7);

    // A colour is ready, but no chooser opens and nothing changes.
    f.prompter.colours = {kPicked};
    for (int id : kSwatchIds)
        f.DoubleClick(id);
    EXPECT_TRUE(f.prompter.colourAsks.empty());
    EXPECT_EQ(f.Colours(), kDark);
}

TEST(ViewOption, ColoursPickedUnderUserSelectedAreStoredOnlyWithIt) {
    // Colours are picked under "User Selected", then the list is used before OK.
    const struct {
        const char* name;
        std::vector<int> choices;
        std::array<ColourRef, 7> shownAtOk;
        int readOnlyAtOk;
        int storedScheme;
        std::array<ColourRef, 7> storedUser;
    } cases[] = {
        {"kept", {}, kUserPicked, 0, 6, kUserPicked},
        {"user chosen again", {6}, kUserPicked, 0, 6, kUserPicked},
        {"a look at Pink", {5, 6}, kUserPicked, 0, 6, kUserPicked},
        {"a look at two", {2, 5, 6}, kUserPicked, 0, 6, kUserPicked},
        {"Pink at OK", {5}, kPink, 7, 5, kUserColours},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageFixture f(6);
        f.page->OnSetActive();
        EXPECT_EQ(f.Colours(), kUserColours);
        EXPECT_EQ(f.ReadOnlyCount(), 0);

        f.prompter.colours = {kPicked};
        f.DoubleClick(CViewOption::kIdBackground);
        EXPECT_EQ(f.prompter.colourAsks, std::vector<std::uint32_t>({kUserRow.crBackground}));
        for (int index : c.choices)
            f.Choose(index);
        EXPECT_EQ(f.Colours(), c.shownAtOk);
        EXPECT_EQ(f.ReadOnlyCount(), c.readOnlyAtOk);

        const ProfileSettings out = f.Confirm();
        EXPECT_EQ(out.Scheme, c.storedScheme);
        EXPECT_EQ(Seven(out.schemes[kUserScheme]), c.storedUser);
        EXPECT_EQ(out.schemes[kUserScheme].nSpare, 6u);
    }
}

TEST(ViewOption, UserRowWriteKeepsTheSpareWordOfTheTarget) {
    PageFixture f(6);
    f.page->OnSetActive();
    f.page->OnKillActive();
    ProfileSettings out = f.start;
    out.UserScheme().nSpare = 0x55;
    f.page->StoreInto(out);
    EXPECT_EQ(Words(out.schemes[kUserScheme]),
              Row({0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203, 0x040506, 0x55}));
}

TEST(ViewOption, ComingBackShowsTheStoredChoiceAgain) {
    const struct {
        const char* name;
        int startScheme;
        std::vector<int> choices; // after a colour is picked under "User Selected"
        std::array<ColourRef, 7> shownAgain;
        int readOnlyAgain;
    } cases[] = {
        {"left on another scheme", 6, {3}, kUserColours, 0},
        {"left on User Selected", 6, {}, kUserColours, 0},
        {"left after a look elsewhere", 6, {5, 6}, kUserColours, 0},
        {"User Selected chosen over Dark", 2, {6}, kDark, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PageFixture f(c.startScheme);
        f.page->OnSetActive();
        if (c.startScheme != 6)
            f.Choose(6);
        f.prompter.colours = {kPicked};
        f.DoubleClick(CViewOption::kIdBackground);
        ASSERT_EQ(f.page->Swatch(CViewOption::kIdBackground)->Colour(), kPicked);
        for (int index : c.choices)
            f.Choose(index);
        f.page->OnKillActive();

        f.page->OnSetActive();
        EXPECT_EQ(f.page->SchemeChooser()->currentIndex(), c.startScheme);
        EXPECT_EQ(f.Colours(), c.shownAgain);
        EXPECT_EQ(f.ReadOnlyCount(), c.readOnlyAgain);
        const ProfileSettings out = f.Confirm();
        EXPECT_EQ(out.Scheme, c.startScheme);
        EXPECT_EQ(Words(out.schemes[kUserScheme]), Words(kUserRow));
    }
}

TEST(ViewOption, SchemeOutsideTheTableShowsNoChoiceAndTheUserRowReadOnly) {
    for (int nScheme : {9, -1}) {
        SCOPED_TRACE(nScheme);
        {
            // Never shown: the setting goes back as it came.
            PageFixture f(nScheme);
            const ProfileSettings out = f.Store();
            EXPECT_EQ(out.Scheme, nScheme);
            EXPECT_EQ(Words(out.schemes[kUserScheme]), Words(kUserRow));
        }
        PageFixture f(nScheme);
        f.page->OnSetActive();
        EXPECT_EQ(f.page->SchemeChooser()->currentIndex(), -1);
        EXPECT_EQ(f.Colours(), kUserColours);
        EXPECT_EQ(f.ReadOnlyCount(), 7);
        f.prompter.colours = {kPicked};
        f.DoubleClick(CViewOption::kIdLabel);
        EXPECT_TRUE(f.prompter.colourAsks.empty());

        // Shown and left with no choice: the page's "none".
        const ProfileSettings out = f.Confirm();
        EXPECT_EQ(out.Scheme, -1);
        EXPECT_EQ(Words(out.schemes[kUserScheme]), Words(kUserRow));
    }
}

TEST(ViewOption, OkWithNothingChangedLeavesTheSettings) {
    for (int nScheme : {0, 2, 5, 6, 9}) {
        for (bool bShown : {false, true}) {
            if (bShown && nScheme == 9)
                continue; // shown, it stores "none"
            SCOPED_TRACE(testing::Message() << nScheme << (bShown ? " shown" : " never shown"));
            PageFixture f(nScheme);
            const ProfileSettings out = bShown ? (f.page->OnSetActive(), f.Confirm()) : f.Store();
            EXPECT_EQ(out.Scheme, nScheme);
            for (int row = 0; row < kSchemeCount; ++row)
                EXPECT_EQ(Words(out.schemes[std::size_t(row)]),
                          Words(f.start.schemes[std::size_t(row)]))
                    << "row " << row;
            EXPECT_EQ(Words(out.schemes[kUserScheme]), Words(kUserRow));
        }
    }
}
