// The hints of the four hatch buttons and the hatching tip against what an area of each kind
// does to a picture: an image correction runs through the engine record filled from the area,
// and the pixels it changed tell whether the area limited the work to its inside or was left
// out. The wording the texts must use follows from that, not from the button's name.
#include "correction_records.h"
#include "dib_pattern.h"
#include "language.h"
#include "tintworks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <ostream>

namespace {

// Where a correction changed the picture, seen from one area.
enum class AreaEffect { WholePicture, LimitsTheWork, LeftOut, Unclear };

// What a text says about each effect.
constexpr const char* limitedWording = "limited to its inside";
constexpr const char* leftOutWording = "left out";

struct HatchButton {
    const char* name;
    int hint; // position in section "Main Toolbar"
    std::int32_t kind;
    bool polygon;
};

void PrintTo(const HatchButton& button, std::ostream* out) {
    *out << button.name;
}

const HatchButton hatchButtons[] = {
    {"btExtHatchRectArea", 10, THatchAreaList::outer, false},
    {"btIntHatchRectArea", 11, THatchAreaList::inner, false},
    {"btExtHatchPolyArea", 21, THatchAreaList::outer, true},
    {"btIntHatchPolyArea", 22, THatchAreaList::inner, true},
};

constexpr int pictureWidth = 24;
constexpr int pictureHeight = 16;
const QRect whiteSheet(0, 12, 4, 4);
const QPoint areaCentre(12, 8);
// Three corners of the picture, away from every area drawn here.
const QPoint farPoints[] = {{0, 0}, {pictureWidth - 1, 0}, {pictureWidth - 1, pictureHeight - 1}};

constexpr std::uint8_t castBgr[3] = {150, 170, 200};

// A picture of one warm grey (the pattern's bitmap, every pixel painted over), which a white
// reference turns white wherever the correction works.
std::unique_ptr<TDIBImage> castPicture() {
    auto image = patternDib(pictureWidth, pictureHeight);
    for (int y = 0; y < pictureHeight; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
            std::memcpy(image->Bits + std::size_t(y) * image->RowStride() + 3 * x, castBgr, 3);
        }
    }
    return image;
}

bool changed(const TDIBImage& image, QPoint p) {
    const std::uint8_t* pixel =
        image.Bits + std::size_t(image.Height() - 1 - p.y()) * image.RowStride() + 3 * p.x();
    return std::memcmp(pixel, castBgr, 3) != 0;
}

// An area around the centre, as the button's tool stores it.
void drawArea(const HatchButton& button, THatchAreaList& areas) {
    if (button.polygon) {
        areas.AddPolygon(button.kind, {QPoint(12, 3), QPoint(17, 8), QPoint(12, 13), QPoint(7, 8)});
    } else {
        areas.AddRectangle(button.kind, QRect(8, 4, 8, 8));
    }
}

// Corrects the picture against the white sheet with `areas` limiting the work, and reads off
// which side of the area the correction reached.
AreaEffect effectOf(const THatchAreaList& areas) {
    auto picture = castPicture();
    TRefRegionList regions;
    regions.AddRegion(RegionKind::White, whiteSheet, 0);
    CorrectionRecords records;
    EXPECT_TRUE(records.Fill(CorrectionSettings{}, *picture, picture->Bits, regions, areas));
    EXPECT_EQ(TWKDoImageOperation(records.EngineType(), records.Record(), nullptr), TWK_OK);
    int farChanged = 0;
    for (const QPoint& p : farPoints) {
        farChanged += changed(*picture, p);
    }
    const bool centreChanged = changed(*picture, areaCentre);
    if (centreChanged && farChanged == std::ssize(farPoints)) {
        return AreaEffect::WholePicture;
    }
    if (centreChanged && farChanged == 0) {
        return AreaEffect::LimitsTheWork;
    }
    if (!centreChanged && farChanged == std::ssize(farPoints)) {
        return AreaEffect::LeftOut;
    }
    return AreaEffect::Unclear;
}

// What the area of a button does to the picture.
AreaEffect effectOfButton(const HatchButton& button) {
    THatchAreaList areas;
    drawArea(button, areas);
    return effectOf(areas);
}

// A text about an area must say what the area does, in the words chosen for it, and must
// not say the opposite.
void expectSays(const QString& text, AreaEffect effect) {
    ASSERT_TRUE(effect == AreaEffect::LimitsTheWork || effect == AreaEffect::LeftOut)
        << "the area neither limits the work nor is left out";
    const bool limits = effect == AreaEffect::LimitsTheWork;
    const char* says = limits ? limitedWording : leftOutWording;
    const char* opposite = limits ? leftOutWording : limitedWording;
    EXPECT_TRUE(text.contains(says)) << text.toStdString() << "\nshould say: " << says;
    EXPECT_FALSE(text.contains(opposite)) << text.toStdString() << "\nmust not say: " << opposite;
}

TLanguage english() {
    TLanguage language;
    EXPECT_TRUE(language.Load(HUEMARK_DATA_DIR "/Language/English.ini"));
    return language;
}

// The text of section "Techniques Dialog" that speaks of hatched areas.
QString hatchingTip(const TLanguage& language) {
    for (int n = 0; !language.Text("Techniques Dialog", n).isEmpty(); ++n) {
        if (language.Text("Techniques Dialog", n).contains("hatched", Qt::CaseInsensitive)) {
            return language.Text("Techniques Dialog", n);
        }
    }
    return {};
}

// The clause of `text` (split at ';') that names `word`.
QString clauseNaming(const QString& text, const QString& word) {
    for (const QString& clause : text.split(';')) {
        if (clause.contains(word)) {
            return clause;
        }
    }
    return {};
}

class HatchButtonHint : public testing::TestWithParam<HatchButton> {};

TEST(HatchArea, WithoutAreasTheWholePictureIsCorrected) {
    EXPECT_EQ(effectOf(THatchAreaList()), AreaEffect::WholePicture);
}

TEST_P(HatchButtonHint, SaysWhatTheAreaDoesToThePicture) {
    const HatchButton& button = GetParam();
    const QString hint = english().Text("Main Toolbar", button.hint);
    expectSays(hint, effectOfButton(button));
    EXPECT_TRUE(hint.contains(button.kind == THatchAreaList::outer ? "outer" : "inner"))
        << hint.toStdString();
}

INSTANTIATE_TEST_SUITE_P(MainToolbar, HatchButtonHint, testing::ValuesIn(hatchButtons),
                         [](const testing::TestParamInfo<HatchButton>& info) {
                             return std::string(info.param.name);
                         });

TEST(HatchingTip, SaysWhatEachKindOfAreaDoes) {
    const QString tip = hatchingTip(english());
    ASSERT_FALSE(tip.isEmpty()) << "the techniques hold a tip about hatched areas";
    for (const HatchButton& rectangle : {hatchButtons[0], hatchButtons[1]}) {
        const QString clause = clauseNaming(
            tip, rectangle.kind == THatchAreaList::outer ? "outer area" : "inner area");
        ASSERT_FALSE(clause.isEmpty()) << tip.toStdString();
        expectSays(clause, effectOfButton(rectangle));
    }
}

} // namespace
